#include "tests/dirpack/json_value.h"

#include <cstdlib>

#include "tests/dirpack/text_bytes.h"

namespace jsontest {
namespace {

class Reader {
 public:
  explicit Reader(const std::string& text) : m_text(text) {}

  bool Document(Value& value) {
    if (!Parse(value)) return false;
    SkipBlanks();
    return m_at == m_text.size() || Fail("text after the value");
  }
  const std::string& why() const { return m_why; }

 private:
  bool Fail(const std::string& why) {
    if (m_why.empty()) m_why = why + " at byte " + std::to_string(m_at);
    return false;
  }
  void SkipBlanks() {
    while (m_at < m_text.size() &&
           (m_text[m_at] == ' ' || m_text[m_at] == '\t' || m_text[m_at] == '\n' || m_text[m_at] == '\r')) {
      ++m_at;
    }
  }
  bool Literal(const char* word) {
    const std::string w = word;
    if (m_text.compare(m_at, w.size(), w) != 0) return Fail("unknown word");
    m_at += w.size();
    return true;
  }

  bool Parse(Value& value) {
    SkipBlanks();
    if (m_at >= m_text.size()) return Fail("no value");
    const char c = m_text[m_at];
    if (c == '{') return Object(value);
    if (c == '[') return Array(value);
    if (c == '"') {
      value.kind = Kind::String;
      return String(value.text);
    }
    if (c == 't' || c == 'f') {
      value.kind = Kind::Bool;
      value.flag = c == 't';
      return Literal(c == 't' ? "true" : "false");
    }
    if (c == 'n') return Literal("null");
    return Number(value);
  }

  bool Object(Value& value) {
    value.kind = Kind::Object;
    ++m_at;
    SkipBlanks();
    if (m_at < m_text.size() && m_text[m_at] == '}') return ++m_at, true;
    for (;;) {
      SkipBlanks();
      std::string name;
      if (m_at >= m_text.size() || m_text[m_at] != '"' || !String(name)) return Fail("expected a member name");
      SkipBlanks();
      if (m_at >= m_text.size() || m_text[m_at++] != ':') return Fail("expected ':'");
      Value member;
      if (!Parse(member)) return false;
      value.members.emplace_back(std::move(name), std::move(member));
      SkipBlanks();
      if (m_at < m_text.size() && m_text[m_at] == ',') {
        ++m_at;
        continue;
      }
      if (m_at < m_text.size() && m_text[m_at] == '}') return ++m_at, true;
      return Fail("expected ',' or '}'");
    }
  }

  bool Array(Value& value) {
    value.kind = Kind::Array;
    ++m_at;
    SkipBlanks();
    if (m_at < m_text.size() && m_text[m_at] == ']') return ++m_at, true;
    for (;;) {
      Value item;
      if (!Parse(item)) return false;
      value.items.push_back(std::move(item));
      SkipBlanks();
      if (m_at < m_text.size() && m_text[m_at] == ',') {
        ++m_at;
        continue;
      }
      if (m_at < m_text.size() && m_text[m_at] == ']') return ++m_at, true;
      return Fail("expected ',' or ']'");
    }
  }

  // Raw control characters are refused, as JSON demands; \u escapes of the BMP are decoded.
  bool String(std::string& out) {
    ++m_at;
    while (m_at < m_text.size()) {
      const unsigned char c = static_cast<unsigned char>(m_text[m_at++]);
      if (c == '"') return true;
      if (c < 0x20) return Fail("control character in a string");
      if (c != '\\') {
        out.push_back(static_cast<char>(c));
        continue;
      }
      if (m_at >= m_text.size()) break;
      const char e = m_text[m_at++];
      switch (e) {
        case '"':
        case '\\':
        case '/':
          out.push_back(e);
          break;
        case 'n':
          out.push_back('\n');
          break;
        case 't':
          out.push_back('\t');
          break;
        case 'r':
          out.push_back('\r');
          break;
        case 'b':
          out.push_back('\b');
          break;
        case 'f':
          out.push_back('\f');
          break;
        case 'u': {
          if (m_at + 4 > m_text.size()) return Fail("short \\u escape");
          const std::string hex = m_text.substr(m_at, 4);
          char* end = nullptr;
          const unsigned long point = std::strtoul(hex.c_str(), &end, 16);
          if (end != hex.c_str() + 4) return Fail("bad \\u escape");
          m_at += 4;
          out += dirpacktest::Utf8Bytes(std::u16string(1, static_cast<char16_t>(point)));
          break;
        }
        default:
          return Fail("unknown escape");
      }
    }
    return Fail("unterminated string");
  }

  bool Number(Value& value) {
    const size_t start = m_at;
    if (m_text[m_at] == '-') ++m_at;
    while (m_at < m_text.size() && std::string("0123456789.eE+-").find(m_text[m_at]) != std::string::npos) ++m_at;
    const std::string digits = m_text.substr(start, m_at - start);
    char* end = nullptr;
    value.number = std::strtod(digits.c_str(), &end);
    if (digits.empty() || end != digits.c_str() + digits.size()) return Fail("not a number");
    value.kind = Kind::Number;
    return true;
  }

  const std::string& m_text;
  size_t m_at = 0;
  std::string m_why;
};

}  // namespace

const Value& Value::Member(const std::string& name) const {
  static const Value kNone;
  for (const auto& member : members) {
    if (member.first == name) return member.second;
  }
  return kNone;
}

bool Parse(const std::string& text, Value& value, std::string& why) {
  Reader reader(text);
  Value result;
  if (!reader.Document(result)) {
    why = reader.why();
    return false;
  }
  value = std::move(result);
  return true;
}

}  // namespace jsontest
