// The user's texts, spelled out once: the dialog's (wizard_texts.h, and the plan summary's pieces
// in plan_summary.h). Every other test reads them through the program's constants, so a change of
// wording shows here, and only here; the log's own texts (run_log_texts.h) are read through their
// constants alone. The download page is a build setting, checked where it is configured
// (download_url_setting_test.sh). Portable.
#include <gtest/gtest.h>

#include <string>

#include "engine/plan/plan_summary.h"
#include "wizard/logic/wizard_texts.h"

namespace {

struct Golden {
  const wchar_t* text;
  const wchar_t* spelled;
};

TEST(UserTexts, AreSpelledAsDesigned) {
  const Golden rows[] = {
      {wizard_text::kTitle, L"Lumidex本地词典包安装向导"},
      {wizard_text::kWelcomeFormat,
       L"词典安装向导将帮助您%s本地词典数据。\r\n\r\n点击“下一步”继续安装过程，点击“取消”退出词典安装向导。"},
      {plan_text::kPlanSummaryInstall, L"安装《%s》"},
      {plan_text::kPlanSummaryUpgrade, L"升级《%s》"},
      {plan_text::kPlanSummaryCut, L"……"},
      {wizard_text::kUpToDate, L"您本地安装的词典数据版本高于本次安装向导提供的词典，您无需安装本安装向导提供的词典。"},
      {wizard_text::kHostMissing,
       L"未检测到Lumidex2.0安装信息，或您的Lumidex2.0安装环境并不完整。建议您重新安装Lumidex2.0后再运行本安装向导。"},
      {wizard_text::kNext, L"下一步(&N)>"},
      {wizard_text::kCancel, L"取消(&C)"},
      {wizard_text::kFinish, L"完成(&C)"},
      {wizard_text::kClose, L"关闭"},
      {wizard_text::kDownload, L"下载 Lumidex2.0 "},
      {wizard_text::kRunHost, L"立即启动Lumidex并应用该词典(&R)"},
      {wizard_text::kInstallStarting, L"正在为您安装《%s》，请稍候 ..."},
      {wizard_text::kUpgradeStarting, L"正在升级您本地的《%s》，请稍候 ..."},
      {wizard_text::kInstallSucceeded, L"已为您成功安装《%s》。"},
      {wizard_text::kUpgradeSucceeded, L"已为您成功升级《%s》到最新的版本。"},
      {wizard_text::kInstallFailed, L"安装《%s》失败!"},
      {wizard_text::kUpgradeFailed, L"升级《%s》失败!"},
      {wizard_text::kUnpackFailed, L"“%s” 解压缩失败，请确认您从官方网站下载本词典安装包!"},
      {wizard_text::kErrorCaption, L"错误"},
      {wizard_text::kRunIncomplete, L"安装未能完成。"},
      {wizard_text::kStartupFailed, L"fail"},
      {wizard_text::kUnknownSwitch, L"无法识别的命令行参数“%s”。"},
      {wizard_text::kRepeatedSwitch, L"命令行参数“%s”重复出现，每个参数只能使用一次。"},
      {wizard_text::kStartWithoutSilent, L"命令行参数“%s”只能与 /S 一起使用。"},
      {wizard_text::kLogPathMissing, L"命令行参数“%s”缺少日志文件的路径。"},
      {wizard_text::kSwitchHelp,
       L"可以在命令行中使用以下参数（不区分大小写，以 / 或 - 开头）：\r\n\r\n"
       L"/S\t静默安装：不显示向导和任何提示，自动完成安装，结束时不启动 Lumidex。\r\n"
       L"/START\t与 /S 一起使用：安装结束后启用本包的词典，启动 Lumidex 并显示词典管理器。\r\n"
       L"/LOG[=路径]\t把运行过程写入 UTF-8 日志文件；不给路径时写入 %TEMP%\\pakorra-年月日-时分秒.log。\r\n"
       L"/?\t显示本说明。\r\n\r\n"
       L"静默安装的退出代码："},
      {wizard_text::kExitInstalled, L"所有计划的词典都已安装，或无需安装"},
      {wizard_text::kExitBadCommandLine, L"命令行参数有误，未做任何更改"},
      {wizard_text::kExitHostMissing, L"未找到 Lumidex 2.0，或其安装不完整，未做任何更改"},
      {wizard_text::kExitStartupCheckFailed, L"启动检查失败（词典包损坏或被拒绝），未做任何更改"},
      {wizard_text::kExitNotAllInstalled, L"至少一个词典或词典包未能安装或未能登记，或安装未能完成（其余已安装）"},
      {wizard_text::kExitAnotherWizardRuns, L"另一个安装向导正在运行，未做任何更改"},
      {wizard_text::kLogUnwritable, L"无法写入日志文件“%s”。安装向导将继续运行，但不记录日志。"},
      {wizard_text::kDownloadPageNotOpened,
       L"无法打开下载页面。请按 Ctrl+C 复制本提示，再把下面的网址粘贴到浏览器中打开：\r\n\r\n%s"},
  };
  for (const Golden& row : rows) EXPECT_EQ(std::wstring(row.text), std::wstring(row.spelled));
}

}  // namespace
