// Points the shell's http and https handlers at url_sink.exe for the life of the object, so that a test
// sees which web page the wizard opens instead of a browser starting.
#pragma once

#include <cstddef>
#include <string>

namespace wizardtest {

class UrlRecorder {
 public:
  UrlRecorder();
  ~UrlRecorder();

  // The URL the shell handed over within the time.
  bool WaitForUrl(std::wstring& url, unsigned timeoutMs) const;

  UrlRecorder(const UrlRecorder&) = delete;
  UrlRecorder& operator=(const UrlRecorder&) = delete;

 private:
  static constexpr size_t kSchemes = 2;  // http, https
  std::wstring savedCommand_[kSchemes];
  bool hadCommand_[kSchemes] = {};
};

}  // namespace wizardtest
