# The project's VERSION as the programs need it: pakorra_version.h for the resource script and
# dirpack (target pakorra_version), and PAKORRA_VERSION for files configured from it.
# A Windows file version and an assembly identity have four numbers of 16 bits each.
foreach(part MAJOR MINOR PATCH TWEAK)
  if(NOT PROJECT_VERSION_${part} MATCHES "^[0-9]+$" OR PROJECT_VERSION_${part} GREATER 65535)
    message(FATAL_ERROR "project VERSION ${PROJECT_VERSION}: four numbers from 0 to 65535 are needed")
  endif()
endforeach()
set(PAKORRA_VERSION ${PROJECT_VERSION})

configure_file(${CMAKE_CURRENT_LIST_DIR}/pakorra_version.h.in ${PROJECT_BINARY_DIR}/generated/pakorra_version.h @ONLY)
add_library(pakorra_version INTERFACE)
target_include_directories(pakorra_version INTERFACE ${PROJECT_BINARY_DIR}/generated)
