#include "wizard/logic/command_line.h"

#include "engine/format/entry_name.h"
#include "wizard/logic/text_format.h"
#include "wizard/logic/unattended.h"
#include "wizard/logic/wizard_texts.h"

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// Letters A-Z compared without case; switch names are plain ASCII.
bool SameName(const std::wstring& text, const wchar_t* name) {
  return LowerAsciiLetters(text) == LowerAsciiLetters(name);
}

enum class Switch { Help, Silent, Start, Log };

struct SwitchName {
  const wchar_t* name;  // upper case
  Switch which;
  bool takesValue;
};

constexpr SwitchName kSwitches[] = {
    {L"?", Switch::Help, false},
    {L"S", Switch::Silent, false},
    {L"START", Switch::Start, false},
    {L"LOG", Switch::Log, true},
};

void NoteProblem(WizardOptions& options, CommandLineProblem problem, const std::wstring& argument) {
  if (options.problem != CommandLineProblem::None) return;  // the first one is reported
  options.problem = problem;
  options.problemArgument = argument;
}

struct Reading {
  bool seen[4] = {};
  std::wstring startArgument;  // /START as it was written
};

void ReadArgument(const std::wstring& argument, Reading& reading, WizardOptions& options) {
  if (argument.empty()) return;
  if (argument[0] != L'/' && argument[0] != L'-') {
    NoteProblem(options, CommandLineProblem::UnknownSwitch, argument);
    return;
  }
  const size_t equals = argument.find(L'=');
  const std::wstring name = argument.substr(1, equals == std::wstring::npos ? std::wstring::npos : equals - 1);
  const bool hasValue = equals != std::wstring::npos;
  for (const SwitchName& known : kSwitches) {
    if (!SameName(name, known.name)) continue;
    if (hasValue && !known.takesValue) break;
    bool& wasSeen = reading.seen[static_cast<int>(known.which)];
    if (wasSeen) {
      NoteProblem(options, CommandLineProblem::RepeatedSwitch, argument);
      return;
    }
    wasSeen = true;
    switch (known.which) {
      case Switch::Help:
        options.help = true;
        break;
      case Switch::Silent:
        options.silent = true;
        break;
      case Switch::Start:
        options.startHost = true;
        reading.startArgument = argument;
        break;
      case Switch::Log:
        if (hasValue && equals + 1 == argument.size()) {
          NoteProblem(options, CommandLineProblem::LogPathMissing, argument);
          return;
        }
        options.log = true;
        if (hasValue) options.logPath = argument.substr(equals + 1);
        break;
    }
    return;
  }
  NoteProblem(options, CommandLineProblem::UnknownSwitch, argument);
}

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
  const wchar_t* format = nullptr;
  switch (options.problem) {
    case CommandLineProblem::None:
      return {};
    case CommandLineProblem::UnknownSwitch:
      format = wizard_text::kUnknownSwitch;
      break;
    case CommandLineProblem::RepeatedSwitch:
      format = wizard_text::kRepeatedSwitch;
      break;
    case CommandLineProblem::StartWithoutSilent:
      format = wizard_text::kStartWithoutSilent;
      break;
    case CommandLineProblem::LogPathMissing:
      format = wizard_text::kLogPathMissing;
      break;
  }
  return FormatText(format, options.problemArgument.c_str());
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
