// What the wizard looks for in its folder by name: the containers, the package's "dictconfig.ini"
// with the keys registration copies, and one image per dictionary. Portable, for dirpack's check.
#pragma once

#include <cstddef>

constexpr wchar_t kContainerExtension[] = L".dir";
constexpr wchar_t kPackageConfigFileName[] = L"dictconfig.ini";

// The keys after "id" that registration copies into the host's configuration, in that order.
constexpr const wchar_t* kCopiedConfigKeys[] = {L"id_net",     L"desc_name",      L"catalog", L"from",    L"to",
                                                L"desc_intro", L"desc_copyright", L"enable",  L"func_all"};

// Registration reads each value into a buffer this many characters long, its NUL included: a
// longer value is cut to its first kConfigValueChars - 1.
constexpr size_t kConfigValueChars = 260;

// An image is the dictionary's id followed by the extension, in this folder.
constexpr wchar_t kPackageImageFolder[] = L"dict_image";
constexpr wchar_t kDictImageExtension[] = L".bmp";
