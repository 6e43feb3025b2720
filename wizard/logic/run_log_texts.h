// Every text of the run's log (/LOG) that the wizard composes itself; the status lines and the
// exit codes' meanings are the dialog's own (wizard_texts.h) and the diagnostics the engine's.
// Each "%s" is replaced by an argument, in turn (FormatText).
#pragma once

namespace log_text {

constexpr const wchar_t* kStarted = L"开始：命令行 %s";
constexpr const wchar_t* kLogFile = L"日志文件：%s";
constexpr const wchar_t* kBadCommandLine = L"命令行错误：%s";
constexpr const wchar_t* kOtherWizardShown = L"另一个安装向导正在运行，已将它显示在前面。";
constexpr const wchar_t* kOtherWizardBusy = L"另一个安装向导正在运行。";
constexpr const wchar_t* kNoDialog = L"无法创建向导对话框。";
constexpr const wchar_t* kDiagnostic = L"诊断：%s";
constexpr const wchar_t* kStatus = L"状态：%s";

// The start-up check.
constexpr const wchar_t* kHostFound = L"宿主程序：已找到 %s";
constexpr const wchar_t* kHostMissing = L"启动检查：未找到 Lumidex 2.0，或其安装不完整。";
constexpr const wchar_t* kPlanned = L"启动检查：计划安装或升级 %s 个词典。";
constexpr const wchar_t* kUpToDate = L"启动检查：无需安装，已安装的词典同样新或更新。";
constexpr const wchar_t* kStartupFailed = L"启动检查失败：词典包损坏或被拒绝。";
constexpr const wchar_t* kNoContainer = L"启动检查失败：向导所在的文件夹中没有词典包（*.dir）。";

// The plan: one line per container (its path, then its entry count or kContainerEmpty), one per
// entry (its file name, title, date and the decision with its target), the installed copy's date
// after it where there is one (and its backup's, where one lies beside it).
constexpr const wchar_t* kContainer = L"词典包：%s，%s";
constexpr const wchar_t* kContainerEntries = L"%s 个词典";
constexpr const wchar_t* kContainerEmpty = L"没有词典";
constexpr const wchar_t* kEntry = L"词典：%s《%s》，日期 %s，%s";
constexpr const wchar_t* kNoDate = L"（无）";
constexpr const wchar_t* kInstallTo = L"安装到 %s";
constexpr const wchar_t* kUpgrade = L"升级 %s";
constexpr const wchar_t* kSkip = L"跳过 %s";
constexpr const wchar_t* kInstalledDate = L"（已安装的日期 %s）";
constexpr const wchar_t* kBackupDate = L"（其备份的日期 %s）";
constexpr const wchar_t* kDateUnreadable = L"无法读取";

// An unattended run's own clicks.
constexpr const wchar_t* kUnattendedNext = L"无人值守：下一步";
constexpr const wchar_t* kUnattendedFinish = L"无人值守：完成";
constexpr const wchar_t* kUnattendedClose = L"无人值守：关闭";

// The run and its end.
constexpr const wchar_t* kRunFinished = L"安装结束：成功 %s 个";
constexpr const wchar_t* kRunFailures = L"，失败 %s 个";
constexpr const wchar_t* kRunUnregistered = L"，其中 %s 个未能登记到 Lumidex 的配置或图像文件夹";
constexpr const wchar_t* kStartsHost = L"，启动 Lumidex";
constexpr const wchar_t* kLeavesHost = L"，不启动 Lumidex";
constexpr const wchar_t* kRepair = L"整理：检查并处理中断的安装可能留下的文件。";
constexpr const wchar_t* kHandOff = L"交接：启用本包的词典并启动 Lumidex。";
constexpr const wchar_t* kHandOffDone = L"交接：Lumidex 的托盘窗口已出现，已请它显示词典管理器。";
constexpr const wchar_t* kHandOffNoTray = L"交接：未等到 Lumidex 的托盘窗口，未请它显示词典管理器。";
constexpr const wchar_t* kEndedFromOutside = L"消息循环被向导以外的原因结束（退出代码 %s）。";
constexpr const wchar_t* kResult = L"结果：退出代码 %s";
// After an unattended run's exit code: its meaning (wizard_texts.h).
constexpr const wchar_t* kResultMeaning = L"，%s";

}  // namespace log_text
