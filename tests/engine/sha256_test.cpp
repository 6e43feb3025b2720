// SHA-256 against the published test vectors, whole and given in pieces of awkward sizes, by the
// system backend of the build.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "engine/format/sha256.h"

namespace {

struct Vector {
  const char* name;
  std::string message;
  const char* digest;
};

const Vector kVectors[] = {
    {"empty", "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
    {"abc", "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
    {"448 bits, two blocks", "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
     "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
    {"896 bits", "abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu",
     "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
    {"a million a", std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    // Worked out with another implementation: the length just fits the last block, and just not.
    {"55 bytes", std::string(55, 'x'), "d5e285683cd4efc02d021a5c62014694958901005d6f71e89e0989fac77e4072"},
    {"56 bytes", std::string(56, 'x'), "04c26261370ee7541549d16dee320c723e3fd14671e66a099afe0a377c16888e"},
};

TEST(Sha256, PublishedVectorsWholeAndInPieces) {
  for (const Vector& v : kVectors) {
    SCOPED_TRACE(v.name);
    Sha256Digest whole;
    ASSERT_TRUE(Sha256Of(v.message.data(), v.message.size(), whole));
    EXPECT_EQ(HexDigits(whole), v.digest);
    for (size_t piece : {1u, 7u, 63u, 64u, 65u, 4097u}) {
      Sha256 hash;
      for (size_t at = 0; at < v.message.size(); at += piece) {
        hash.Update(v.message.data() + at, std::min(piece, v.message.size() - at));
      }
      Sha256Digest digest;
      ASSERT_TRUE(hash.Finish(digest));
      EXPECT_EQ(HexDigits(digest), v.digest) << "in pieces of " << piece;
      EXPECT_FALSE(hash.Finish(digest)) << "a finished hash is spent";
    }
  }
}

}  // namespace
