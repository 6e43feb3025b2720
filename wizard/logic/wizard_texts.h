// Every text the wizard shows. A "%s" in a format is replaced by one argument (FormatText).
#pragma once

#include "wizard/download_page.h"

namespace wizard_text {

constexpr const wchar_t* kTitle = L"Lumidex本地词典包安装向导";

// %s is the plan's summary, whose pieces are the plan's own (engine/plan/plan_summary.h).
constexpr const wchar_t* kWelcomeFormat =
    L"词典安装向导将帮助您%s本地词典数据。\r\n\r\n点击“下一步”继续安装过程，点击“取消”退出词典安装向导。";
constexpr const wchar_t* kUpToDate =
    L"您本地安装的词典数据版本高于本次安装向导提供的词典，您无需安装本安装向导提供的词典。";
constexpr const wchar_t* kHostMissing =
    L"未检测到Lumidex2.0安装信息，或您的Lumidex2.0安装环境并不完整。建议您重新安装Lumidex2.0后再运行本安装向导。";

constexpr const wchar_t* kNext = L"下一步(&N)>";
constexpr const wchar_t* kCancel = L"取消(&C)";
constexpr const wchar_t* kFinish = L"完成(&C)";
constexpr const wchar_t* kClose = L"关闭";
constexpr const wchar_t* kDownload = L"下载 Lumidex2.0 ";
constexpr const wchar_t* kRunHost = L"立即启动Lumidex并应用该词典(&R)";

// Status lines of the worker's reports; %s is the entry's title.
constexpr const wchar_t* kInstallStarting = L"正在为您安装《%s》，请稍候 ...";
constexpr const wchar_t* kUpgradeStarting = L"正在升级您本地的《%s》，请稍候 ...";
constexpr const wchar_t* kInstallSucceeded = L"已为您成功安装《%s》。";
constexpr const wchar_t* kUpgradeSucceeded = L"已为您成功升级《%s》到最新的版本。";
constexpr const wchar_t* kInstallFailed = L"安装《%s》失败!";
constexpr const wchar_t* kUpgradeFailed = L"升级《%s》失败!";
// %s is the package container's path.
constexpr const wchar_t* kUnpackFailed = L"“%s” 解压缩失败，请确认您从官方网站下载本词典安装包!";
constexpr const wchar_t* kErrorCaption = L"错误";
constexpr const wchar_t* kRunIncomplete = L"安装未能完成。";

constexpr const wchar_t* kStartupFailed = L"fail";

// The command line; %s is the argument as it was written.
constexpr const wchar_t* kUnknownSwitch = L"无法识别的命令行参数“%s”。";
constexpr const wchar_t* kRepeatedSwitch = L"命令行参数“%s”重复出现，每个参数只能使用一次。";
constexpr const wchar_t* kStartWithoutSilent = L"命令行参数“%s”只能与 /S 一起使用。";
constexpr const wchar_t* kLogPathMissing = L"命令行参数“%s”缺少日志文件的路径。";
// The help (/?) lists the switches, then the exit codes with their meanings (unattended.h).
constexpr const wchar_t* kSwitchHelp =
    L"可以在命令行中使用以下参数（不区分大小写，以 / 或 - 开头）：\r\n\r\n"
    L"/S\t静默安装：不显示向导和任何提示，自动完成安装，结束时不启动 Lumidex。\r\n"
    L"/START\t与 /S 一起使用：安装结束后启用本包的词典，启动 Lumidex 并显示词典管理器。\r\n"
    L"/LOG[=路径]\t把运行过程写入 UTF-8 日志文件；不给路径时写入 %TEMP%\\pakorra-年月日-时分秒.log。\r\n"
    L"/?\t显示本说明。\r\n\r\n"
    L"静默安装的退出代码：";
// The exit codes of an unattended run (unattended.h), in the help and the log's last line.
constexpr const wchar_t* kExitInstalled = L"所有计划的词典都已安装，或无需安装";
constexpr const wchar_t* kExitBadCommandLine = L"命令行参数有误，未做任何更改";
constexpr const wchar_t* kExitHostMissing = L"未找到 Lumidex 2.0，或其安装不完整，未做任何更改";
constexpr const wchar_t* kExitStartupCheckFailed = L"启动检查失败（词典包损坏或被拒绝），未做任何更改";
constexpr const wchar_t* kExitNotAllInstalled = L"至少一个词典或词典包未能安装或未能登记，或安装未能完成（其余已安装）";
constexpr const wchar_t* kExitAnotherWizardRuns = L"另一个安装向导正在运行，未做任何更改";
// %s is the log's path.
constexpr const wchar_t* kLogUnwritable = L"无法写入日志文件“%s”。安装向导将继续运行，但不记录日志。";

// A build setting: publishers may send users to a page of their own.
constexpr const wchar_t* kDownloadPage = PAKORRA_DOWNLOAD_PAGE;
// When the desktop's shell could not open the download page; %s is its address. Ctrl+C copies
// a message box's text.
constexpr const wchar_t* kDownloadPageNotOpened =
    L"无法打开下载页面。请按 Ctrl+C 复制本提示，再把下面的网址粘贴到浏览器中打开：\r\n\r\n%s";

}  // namespace wizard_text
