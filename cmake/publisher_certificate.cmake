# The publisher's certificate: the SHA-256 of the DER encoding of the certificate that signs a
# release. The wizard takes vintora.dll only when that very certificate signed it. It is built in,
# not read from the wizard's own file, because a running program's file can be renamed and
# replaced: no check of such a file can tell the original from a copy re-signed by someone else,
# since the signature is no part of the image the system loaded.
#   cmake -DPAKORRA_PUBLISHER_CERT_SHA256=<64 hex digits> ...   (scripts/release works it out)
# Empty, a development build: any library is taken.
set(PAKORRA_PUBLISHER_CERT_SHA256 "" CACHE STRING
    "SHA-256 (64 hex digits) of the certificate that signs the release; empty for a development build")

string(TOLOWER "${PAKORRA_PUBLISHER_CERT_SHA256}" PAKORRA_PUBLISHER_CERT_SHA256_TEXT)
if(NOT PAKORRA_PUBLISHER_CERT_SHA256_TEXT STREQUAL "" AND
   NOT PAKORRA_PUBLISHER_CERT_SHA256_TEXT MATCHES "^[0-9a-f]+$")
  message(FATAL_ERROR "PAKORRA_PUBLISHER_CERT_SHA256 \"${PAKORRA_PUBLISHER_CERT_SHA256}\" is not a SHA-256: "
                      "give 64 hexadecimal digits, or nothing for a development build")
endif()
string(LENGTH "${PAKORRA_PUBLISHER_CERT_SHA256_TEXT}" digits)
if(NOT digits EQUAL 0 AND NOT digits EQUAL 64)
  message(FATAL_ERROR "PAKORRA_PUBLISHER_CERT_SHA256 has ${digits} digits, not 64")
endif()
unset(digits)

configure_file(${PROJECT_SOURCE_DIR}/engine/publisher_certificate.h.in
               ${PROJECT_BINARY_DIR}/generated/engine/publisher_certificate.h @ONLY)
add_library(pakorra_publisher_certificate INTERFACE)
target_include_directories(pakorra_publisher_certificate INTERFACE ${PROJECT_BINARY_DIR}/generated)
