// The user's texts, spelled out once: the dialog's (wizard_texts.h, and the plan summary's pieces
// in plan_summary.h) and the log's (run_log_texts.h). Every other test reads them through the
// program's constants, so a change of wording shows here, and only here. The download page is a
// build setting, checked where it is configured (download_url_setting_test.sh). Portable.
#include <gtest/gtest.h>

#include <string>

#include "engine/plan/plan_summary.h"
#include "wizard/logic/run_log_texts.h"
#include "wizard/logic/wizard_texts.h"

namespace {

struct Golden {
  const wchar_t* text;
  const wchar_t* spelled;
};

TEST(UserTexts, AreSpelledAsDesigned) {
  const Golden rows[] = {
      // The dialog's.
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
      // The log's.
      {log_text::kStarted, L"开始：命令行 %s"},
      {log_text::kLogFile, L"日志文件：%s"},
      {log_text::kBadCommandLine, L"命令行错误：%s"},
      {log_text::kOtherWizardShown, L"另一个安装向导正在运行，已将它显示在前面。"},
      {log_text::kOtherWizardBusy, L"另一个安装向导正在运行。"},
      {log_text::kNoDialog, L"无法创建向导对话框。"},
      {log_text::kDiagnostic, L"诊断：%s"},
      {log_text::kStatus, L"状态：%s"},
      {log_text::kHostFound, L"宿主程序：已找到 %s"},
      {log_text::kHostMissing, L"启动检查：未找到 Lumidex 2.0，或其安装不完整。"},
      {log_text::kPlanned, L"启动检查：计划安装或升级 %s 个词典。"},
      {log_text::kUpToDate, L"启动检查：无需安装，已安装的词典同样新或更新。"},
      {log_text::kStartupFailed, L"启动检查失败：词典包损坏或被拒绝。"},
      {log_text::kNoContainer, L"启动检查失败：向导所在的文件夹中没有词典包（*.dir）。"},
      {log_text::kContainer, L"词典包：%s，%s"},
      {log_text::kContainerEntries, L"%s 个词典"},
      {log_text::kContainerEmpty, L"没有词典"},
      {log_text::kEntry, L"词典：%s《%s》，日期 %s，%s"},
      {log_text::kNoDate, L"（无）"},
      {log_text::kInstallTo, L"安装到 %s"},
      {log_text::kUpgrade, L"升级 %s"},
      {log_text::kSkip, L"跳过 %s"},
      {log_text::kInstalledDate, L"（已安装的日期 %s）"},
      {log_text::kBackupDate, L"（其备份的日期 %s）"},
      {log_text::kDateUnreadable, L"无法读取"},
      {log_text::kUnattendedNext, L"无人值守：下一步"},
      {log_text::kUnattendedFinish, L"无人值守：完成"},
      {log_text::kUnattendedClose, L"无人值守：关闭"},
      {log_text::kRunFinished, L"安装结束：成功 %s 个"},
      {log_text::kRunFailures, L"，失败 %s 个"},
      {log_text::kRunUnregistered, L"，其中 %s 个未能登记到 Lumidex 的配置或图像文件夹"},
      {log_text::kStartsHost, L"，启动 Lumidex"},
      {log_text::kLeavesHost, L"，不启动 Lumidex"},
      {log_text::kRepair, L"整理：检查并处理中断的安装可能留下的文件。"},
      {log_text::kHandOff, L"交接：启用本包的词典并启动 Lumidex。"},
      {log_text::kHandOffDone, L"交接：Lumidex 的托盘窗口已出现，已请它显示词典管理器。"},
      {log_text::kHandOffNoTray, L"交接：未等到 Lumidex 的托盘窗口，未请它显示词典管理器。"},
      {log_text::kEndedFromOutside, L"消息循环被向导以外的原因结束（退出代码 %s）。"},
      {log_text::kResult, L"结果：退出代码 %s"},
  };
  for (const Golden& row : rows) EXPECT_EQ(std::wstring(row.text), std::wstring(row.spelled));
}

}  // namespace
