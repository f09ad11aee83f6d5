# Run after the installer is linked (cmake -P): signs it with the
# publisher's certificate when one is given, then writes SHA256SUMS beside
# it in the format "sha256sum -c" reads.
#
#   -DINSTALLER=PATH         the linked installer, signed in place
#   -DSOURCE_DIR=PATH        the checkout, for the commit's time
#   -DCERT=FILE              PEM certificate (chain), or a PKCS#12 file
#                            (.p12, .pfx) holding certificate and key;
#                            empty: no signing
#   -DKEY=FILE               PEM private key (with a PEM certificate)
#   -DPASSWORD_FILE=FILE     the key's or the PKCS#12 file's password
#   -DNAME=TEXT -DURL=TEXT   the signed description: program name and URL
#   -DTIMESTAMP_URL=URL      a time-stamp server (the output is then no
#                            longer the same from build to build)
#
# The signing time is fixed: SOURCE_DATE_EPOCH when set, else the time of
# the commit, so that two signed builds of one commit with one key give the
# same bytes. When signing fails, the installer is removed (the build stops
# with the signing tool's complaint), with its SHA256SUMS, so that no
# unsigned or half-signed file stands where a signed one is expected, and
# the next build links and signs it again.

function(sign_fail message)
  get_filename_component(folder "${INSTALLER}" DIRECTORY)
  file(REMOVE "${INSTALLER}" "${INSTALLER}.signing" "${folder}/SHA256SUMS")
  message(FATAL_ERROR "signing ${INSTALLER}: ${message}")
endfunction()

function(signing_time out)
  if(DEFINED ENV{SOURCE_DATE_EPOCH} AND NOT "$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
    set(when "$ENV{SOURCE_DATE_EPOCH}")
  else()
    execute_process(COMMAND git -C "${SOURCE_DIR}" log -1 --format=%ct
      OUTPUT_VARIABLE when OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE status
      ERROR_QUIET)
    if(NOT status EQUAL 0)
      sign_fail("no signing time: set SOURCE_DATE_EPOCH (the sources are not a git checkout)")
    endif()
  endif()
  if(NOT when MATCHES "^[0-9]+$")
    sign_fail("the signing time '${when}' is not a number of seconds since 1970")
  endif()
  set(${out} "${when}" PARENT_SCOPE)
endfunction()

function(sign_installer)
  find_program(OSSLSIGNCODE osslsigncode)
  if(NOT OSSLSIGNCODE)
    sign_fail("osslsigncode is not installed (scripts/setup.sh installs it)")
  endif()
  foreach(file CERT KEY PASSWORD_FILE)
    if(NOT "${${file}}" STREQUAL "" AND NOT EXISTS "${${file}}")
      sign_fail("the file ${${file}} given as ${file} does not exist")
    endif()
  endforeach()

  if(CERT MATCHES "\\.([pP]12|[pP][fF][xX])$")
    set(identity -pkcs12 "${CERT}")
  elseif("${KEY}" STREQUAL "")
    sign_fail("a PEM certificate needs its private key (KEST_SIGN_KEY)")
  else()
    set(identity -certs "${CERT}" -key "${KEY}")
  endif()
  if(NOT "${PASSWORD_FILE}" STREQUAL "")
    list(APPEND identity -readpass "${PASSWORD_FILE}")
  endif()
  set(description -n "${NAME}")
  if(NOT "${URL}" STREQUAL "")
    list(APPEND description -i "${URL}")
  endif()
  if(NOT "${TIMESTAMP_URL}" STREQUAL "")
    set(timing -ts "${TIMESTAMP_URL}")
    message(STATUS "signing with the time-stamp server ${TIMESTAMP_URL}: "
                   "this installer is no longer the same from build to build")
  else()
    signing_time(when)
    set(timing -time "${when}")
  endif()

  file(REMOVE "${INSTALLER}.signing")
  execute_process(
    COMMAND "${OSSLSIGNCODE}" sign ${identity} ${description} ${timing}
            -in "${INSTALLER}" -out "${INSTALLER}.signing"
    INPUT_FILE /dev/null  # a wrong password must not wait for one typed in
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT status EQUAL 0 OR NOT EXISTS "${INSTALLER}.signing")
    # The tool's own lines; OpenSSL's error stack after them adds nothing.
    string(REGEX REPLACE "[0-9A-F]+:error:[^\n]*\n?" "" output "${output}")
    string(REPLACE "Enter PEM pass phrase:" "" output "${output}")
    string(STRIP "${output}" output)
    sign_fail("osslsigncode refused (wrong certificate, key or password?):\n${output}")
  endif()
  file(RENAME "${INSTALLER}.signing" "${INSTALLER}")
endfunction()

if(NOT "${CERT}" STREQUAL "")
  sign_installer()
endif()

get_filename_component(folder "${INSTALLER}" DIRECTORY)
get_filename_component(name "${INSTALLER}" NAME)
file(SHA256 "${INSTALLER}" digest)
file(WRITE "${folder}/SHA256SUMS" "${digest}  ${name}\n")
