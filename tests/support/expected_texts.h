// The wizard's user-visible texts as a user (and so every test, benchmark and the demo) expects
// them. Spelled here once, on purpose apart from the program's own text constants: a typo there
// must make a test fail. Portable.
#pragma once

#include <string>

namespace expected {

inline const std::wstring kTitle = L"Lumidex本地词典包安装向导";

// Pages.
inline std::wstring WelcomeText(const std::wstring& planSummary) {
  return L"词典安装向导将帮助您" + planSummary +
         L"本地词典数据。\r\n\r\n点击“下一步”继续安装过程，点击“取消”退出词典安装向导。";
}
inline const std::wstring kUpToDateText =
    L"您本地安装的词典数据版本高于本次安装向导提供的词典，您无需安装本安装向导提供的词典。";
inline const std::wstring kHostMissingText =
    L"未检测到Lumidex2.0安装信息，或您的Lumidex2.0安装环境并不完整。建议您重新安装Lumidex2.0后再运行本安装向导。";

// Buttons and the check box.
inline const std::wstring kNext = L"下一步(&N)>";
inline const std::wstring kCancel = L"取消(&C)";
inline const std::wstring kFinish = L"完成(&C)";
inline const std::wstring kClose = L"关闭";
inline const std::wstring kDownload = L"下载 Lumidex2.0 ";
inline const std::wstring kRunHost = L"立即启动Lumidex并应用该词典(&R)";

// Status lines, one per report of an entry with its title.
inline std::wstring Installing(const std::wstring& title) { return L"正在为您安装《" + title + L"》，请稍候 ..."; }
inline std::wstring Upgrading(const std::wstring& title) { return L"正在升级您本地的《" + title + L"》，请稍候 ..."; }
inline std::wstring Installed(const std::wstring& title) { return L"已为您成功安装《" + title + L"》。"; }
inline std::wstring Upgraded(const std::wstring& title) { return L"已为您成功升级《" + title + L"》到最新的版本。"; }
inline std::wstring InstallFailed(const std::wstring& title) { return L"安装《" + title + L"》失败!"; }
inline std::wstring UpgradeFailed(const std::wstring& title) { return L"升级《" + title + L"》失败!"; }
// A package container that cannot be read during the run, by its full path.
inline std::wstring UnpackFailed(const std::wstring& path) {
  return L"“" + path + L"” 解压缩失败，请确认您从官方网站下载本词典安装包!";
}
inline const std::wstring kRunIncomplete = L"安装未能完成。";

// Message boxes.
inline const std::wstring kStartupFailed = L"fail";
inline const std::wstring kErrorCaption = L"错误";

inline const std::wstring kDownloadPage = L"https://www.lumidex.example/download/";

}  // namespace expected
