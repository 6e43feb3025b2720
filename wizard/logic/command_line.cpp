#include "wizard/logic/command_line.h"

#include <iterator>
#include <utility>

#include "engine/format/entry_name.h"
#include "wizard/logic/text_format.h"
#include "wizard/logic/unattended.h"
#include "wizard/logic/wizard_texts.h"

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// Names upper case; each switch sets its flag.
struct SwitchName {
  const wchar_t* name;
  bool WizardOptions::*flag;
  bool takesValue;
};

constexpr SwitchName kSwitches[] = {
    {L"?", &WizardOptions::help, false},
    {L"S", &WizardOptions::silent, false},
    {L"START", &WizardOptions::startHost, false},
    {L"LOG", &WizardOptions::log, true},
};

void NoteProblem(WizardOptions& options, CommandLineProblem problem, const std::wstring& argument) {
  if (options.problem != CommandLineProblem::None) return;  // the first one is reported
  options.problem = problem;
  options.problemArgument = argument;
}

struct Reading {
  bool seen[std::size(kSwitches)] = {};
  std::wstring startArgument;  // /START as it was written
};

void ReadArgument(const std::wstring& argument, Reading& reading, WizardOptions& options) {
  if (argument.empty()) return;
  if (argument[0] != L'/' && argument[0] != L'-')
    return NoteProblem(options, CommandLineProblem::UnknownSwitch, argument);
  const size_t equals = argument.find(L'=');
  const std::wstring name = argument.substr(1, equals == std::wstring::npos ? std::wstring::npos : equals - 1);
  const bool hasValue = equals != std::wstring::npos;
  for (size_t i = 0; i < std::size(kSwitches); ++i) {
    const SwitchName& known = kSwitches[i];
    // Letters A-Z compared without case; switch names are plain ASCII.
    if (LowerAsciiLetters(name) != LowerAsciiLetters(known.name)) continue;
    if (hasValue && !known.takesValue) break;
    if (reading.seen[i]) return NoteProblem(options, CommandLineProblem::RepeatedSwitch, argument);
    reading.seen[i] = true;
    if (hasValue) {  // /LOG=PATH
      if (equals + 1 == argument.size()) return NoteProblem(options, CommandLineProblem::LogPathMissing, argument);
      options.logPath = argument.substr(equals + 1);
    }
    options.*known.flag = true;
    if (known.flag == &WizardOptions::startHost) reading.startArgument = argument;
    return;
  }
  NoteProblem(options, CommandLineProblem::UnknownSwitch, argument);
}

const std::pair<CommandLineProblem, const wchar_t*> kProblemTexts[] = {
    {CommandLineProblem::UnknownSwitch, wizard_text::kUnknownSwitch},
    {CommandLineProblem::RepeatedSwitch, wizard_text::kRepeatedSwitch},
    {CommandLineProblem::StartWithoutSilent, wizard_text::kStartWithoutSilent},
    {CommandLineProblem::LogPathMissing, wizard_text::kLogPathMissing},
};

}  // namespace

std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine) {
  size_t at = 0;
  const size_t end = commandLine.size();
  // The program's name: no escapes, a quoted name ends at the next quote.
  if (at < end && commandLine[at] == L'"') {
    const size_t close = commandLine.find(L'"', at + 1);
    at = close == std::wstring::npos ? end : close + 1;
  }
  while (at < end && !IsBlank(commandLine[at])) ++at;

  std::vector<std::wstring> arguments;
  for (;;) {
    while (at < end && IsBlank(commandLine[at])) ++at;
    if (at >= end) break;
    std::wstring argument;
    bool quoted = false;
    while (at < end && (quoted || !IsBlank(commandLine[at]))) {
      size_t backslashes = 0;
      while (at < end && commandLine[at] == L'\\') {
        ++backslashes;
        ++at;
      }
      if (at < end && commandLine[at] == L'"') {
        argument.append(backslashes / 2, L'\\');
        if (backslashes % 2 == 1) {
          argument += L'"';
        } else {
          quoted = !quoted;
        }
        ++at;
      } else {
        argument.append(backslashes, L'\\');
        if (at < end && (quoted || !IsBlank(commandLine[at]))) argument += commandLine[at++];
      }
    }
    arguments.push_back(argument);
  }
  return arguments;
}

WizardOptions ReadCommandLine(const std::wstring& commandLine) {
  WizardOptions options;
  Reading reading;
  for (const std::wstring& argument : SplitCommandLine(commandLine)) ReadArgument(argument, reading, options);
  if (options.startHost && !options.silent) {
    NoteProblem(options, CommandLineProblem::StartWithoutSilent, reading.startArgument);
  }
  return options;
}

std::wstring DescribeCommandLineProblem(const WizardOptions& options) {
  for (const auto& [problem, format] : kProblemTexts) {
    if (problem == options.problem) return FormatText(format, options.problemArgument.c_str());
  }
  return {};
}

std::wstring ComposeCommandLineHelp() {
  std::wstring help = wizard_text::kSwitchHelp;
  size_t count = 0;
  const UnattendedExitMeaning* meanings = UnattendedExitMeanings(count);
  for (size_t i = 0; i < count; ++i) {
    help += L"\r\n" + std::to_wstring(static_cast<int>(meanings[i].code)) + L"\t" + meanings[i].meaning;
  }
  return help;
}
