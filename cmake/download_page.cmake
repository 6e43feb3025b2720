# The download page: the web page the wizard's download button opens when the host is missing.
# A build setting, so that a publisher can send users to a page of their own:
#   cmake -DPAKORRA_DOWNLOAD_URL=https://example.org/lumidex/ ...   (scripts/release --download-url)
set(PAKORRA_DOWNLOAD_URL "https://www.lumidex.example/download/" CACHE STRING
    "Web page (http or https) the wizard's download button opens when Lumidex 2.0 is missing")

# Refused before anything is built: the shell would open anything else, or nothing, on the user's
# machine. A URL is printable ASCII (anything else is percent-encoded); a quote or backslash would
# end or escape the C++ string it is written into.
set(url "${PAKORRA_DOWNLOAD_URL}")
if(NOT url MATCHES "^https?://[A-Za-z0-9.-]+(:[0-9]+)?(/.*)?$" OR url MATCHES "[^!-~]" OR url MATCHES "[\"\\\\]")
  message(FATAL_ERROR "PAKORRA_DOWNLOAD_URL \"${url}\" is not a download page: it must read "
                      "http://HOST[:PORT][/PATH] or https://..., in printable ASCII without spaces, "
                      "quotes or backslashes (percent-encode the rest)")
endif()
unset(url)

configure_file(${PROJECT_SOURCE_DIR}/wizard/download_page.h.in ${PROJECT_BINARY_DIR}/generated/wizard/download_page.h
               @ONLY)
add_library(pakorra_download_page INTERFACE)
target_include_directories(pakorra_download_page INTERFACE ${PROJECT_BINARY_DIR}/generated)
