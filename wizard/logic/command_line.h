// The wizard's command line. Without arguments the wizard runs as it always has, interactively;
// the switches start it unattended (/S), with the host started at the end (/START), with a log
// of the run (/LOG[=PATH]), or show what they are (/?). Switches begin with "/" or "-", and
// their names are read without regard to case. Portable.
#pragma once

#include <string>
#include <vector>

enum class CommandLineProblem : int {
  None,
  UnknownSwitch,       // not a switch of this wizard, or a value where none belongs
  RepeatedSwitch,      // each switch at most once: two /LOG paths could not both be meant
  StartWithoutSilent,  // /START decides how an unattended run ends; the user decides otherwise
  LogPathMissing,      // "/LOG=" with nothing after it
};

struct WizardOptions {
  bool help = false;       // /?
  bool silent = false;     // /S
  bool startHost = false;  // /START
  bool log = false;        // /LOG or /LOG=PATH
  std::wstring logPath;    // empty: the default log in the temporary folder
  // The first argument that could not be taken, as it was written. The switches around it are
  // still read, so that /S and /LOG decide how the problem is reported.
  CommandLineProblem problem = CommandLineProblem::None;
  std::wstring problemArgument;
};

// The arguments after the program's name, split as the C runtime splits a command line: white
// space separates arguments outside double quotes; 2n backslashes before a quote give n
// backslashes and the quote opens or closes a quoted part, 2n+1 give n backslashes and a literal
// quote; other backslashes stay. The program's name ends at its closing quote or first space.
std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine);

// Reads the switches of a whole command line (the program's name first). Empty arguments name no
// switch and are passed over.
WizardOptions ReadCommandLine(const std::wstring& commandLine);

// The sentence naming the problem for the user, or empty when there is none.
std::wstring DescribeCommandLineProblem(const WizardOptions& options);

// The help that /? shows: every switch, then the exit codes of an unattended run.
std::wstring ComposeCommandLineHelp();
