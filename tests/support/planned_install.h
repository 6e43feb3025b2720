// What the installation run and the wizard's worker are tested on: a wizard folder for the
// containers (the module folder points there), an installed host, and packages planned by hand.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/inventory/pinned_file.h"
#include "engine/plan/inventory_records.h"
#include "engine/testing_seams.h"
#include "tests/support/container_bytes.h"
#include "tests/support/fake_host.h"
#include "tests/support/files.h"
#include "tests/support/poll_pause.h"

namespace testsupport {

// One entry of a package planned by hand: the file <id>.dic of the host's data folder.
struct PlannedItem {
  std::wstring id;
  std::string data;
  EntryAction action;
  std::wstring title;
};

class PlannedInstallTest : public ::testing::Test {
 protected:
  ScratchDir wizard{L"irw"};
  FakeHost host;
  std::wstring dataDir = host.DataDir();
  PollPause shortPolls;

  void SetUp() override { SetModuleDirForTesting(wizard.path() + L"\\"); }
  void TearDown() override { SetModuleDirForTesting(L""); }

  std::wstring Target(const std::wstring& id) const { return dataDir + L"\\" + id + L".dic"; }

  // Writes a container holding the items (its last cutTail bytes missing, so that reading the
  // last item's data fails) and returns its record as the inventory and the plan leave it.
  PackageFile Package(const std::wstring& name, const std::vector<PlannedItem>& items, size_t cutTail = 0) {
    std::vector<ContainerItem> raw;
    for (const PlannedItem& item : items) raw.push_back(PackageItem(item.id, item.title, item.data));
    std::string bytes = ContainerBytes(raw);
    bytes.resize(bytes.size() - cutTail);
    EXPECT_TRUE(WriteFileBytes(wizard / name, bytes));
    PackageFile file;
    file.size = static_cast<uint32_t>(bytes.size());
    file.fileName = name;
    file.path = wizard / name;
    PinnedFile pinned;
    std::wstring why;
    EXPECT_EQ(PinPackageFile(name, pinned, why), PinOutcome::Pinned) << Narrow(why);
    file.data = pinned.source;
    file.entries.emplace();
    for (size_t i = 0; i < items.size(); ++i) {
      PackageEntry entry;
      entry.index = static_cast<uint32_t>(i);
      entry.size = static_cast<uint32_t>(items[i].data.size());
      entry.id = items[i].id;
      entry.ext = L".dic";
      entry.title = items[i].title;
      entry.targetPath = Target(items[i].id);
      entry.action = items[i].action;
      file.entries->push_back(entry);
    }
    return file;
  }

  void Installed(const std::wstring& id, const std::string& content, bool readOnly = false) {
    ASSERT_TRUE(WriteFileBytes(Target(id), content));
    ASSERT_TRUE(!readOnly || SetFileAttributesW(Target(id).c_str(), FILE_ATTRIBUTE_READONLY));
  }
};

}  // namespace testsupport
