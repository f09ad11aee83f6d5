# kest_add_installer(target archive_dir): the installer program, carrying
# the game archive archive_dir/gamedata.lzh as its "GAMEDATA" resource. The
# shipped installer and test builds with other archives are made alike.
function(kest_add_installer target archive_dir)
  set(resources ${CMAKE_SOURCE_DIR}/resources)
  set(script ${resources}/kestsetup.rc)
  set(inputs
    resource_ids.h kest_version.h kestsetup.ico music.wav front.bmp back.bmp remove.bmp
    removehl.bmp palette.bin kestsetup.manifest)
  list(TRANSFORM inputs PREPEND ${resources}/)

  # The top layer, on the two beside each other below it (which bring
  # archive/ and support/ with them).
  add_executable(${target} WIN32
    ${CMAKE_SOURCE_DIR}/shell/app_entry.cpp
    ${CMAKE_SOURCE_DIR}/shell/main_window.cpp
    ${CMAKE_SOURCE_DIR}/shell/splash_paint.cpp
    ${script})
  target_link_libraries(${target} PRIVATE
    kest_shell_rules kest_install_win32 kest_system_win32
    shell32 ole32 gdi32 user32 advapi32)
  # Only libraries on the system's known-DLL list are imported at load time;
  # winmm, version and comctl32 are loaded from the system directory at run
  # time (support/system_libraries.h), so none can be taken from beside the
  # installer.
  kest_win32_gui(${target})
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

  # windres finds the files the script names on its include path; a change
  # to any of them, or to the archive, compiles the script again. Source
  # properties belong to one folder, hence TARGET_DIRECTORY.
  set_source_files_properties(${script} TARGET_DIRECTORY ${target} PROPERTIES
    INCLUDE_DIRECTORIES "${resources};${archive_dir}"
    OBJECT_DEPENDS "${inputs};${archive_dir}/gamedata.lzh")
endfunction()

# Signing of the shipped installer with the publisher's certificate
# (Authenticode, by osslsigncode): empty KEST_SIGN_CERT leaves it unsigned.
set(KEST_SIGN_CERT "" CACHE FILEPATH
    "Code-signing certificate: PEM (with KEST_SIGN_KEY) or PKCS#12 (.p12, .pfx); empty: unsigned")
set(KEST_SIGN_KEY "" CACHE FILEPATH "PEM private key of the code-signing certificate")
set(KEST_SIGN_PASSWORD_FILE "" CACHE FILEPATH
    "File holding the password of the key or the PKCS#12 file")
set(KEST_SIGN_NAME "Rarivur Ivad Oraz demo installer" CACHE STRING
    "Program name in the signature's description")
set(KEST_SIGN_URL "" CACHE STRING "URL in the signature's description")
set(KEST_SIGN_TIMESTAMP_URL "" CACHE STRING
    "Time-stamp server for a release (the output is then no longer reproducible)")
set(KEST_SIGN_VARIABLES KEST_SIGN_CERT KEST_SIGN_KEY KEST_SIGN_PASSWORD_FILE KEST_SIGN_NAME
    KEST_SIGN_URL KEST_SIGN_TIMESTAMP_URL)

# kest_ship_installer(target): after each link, signs the installer when a
# certificate is given and writes SHA256SUMS beside it
# (cmake/SignInstaller.cmake).
function(kest_ship_installer target)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND}
      -DINSTALLER=$<TARGET_FILE:${target}> -DSOURCE_DIR=${CMAKE_SOURCE_DIR}
      -DCERT=${KEST_SIGN_CERT} -DKEY=${KEST_SIGN_KEY} -DPASSWORD_FILE=${KEST_SIGN_PASSWORD_FILE}
      "-DNAME=${KEST_SIGN_NAME}" "-DURL=${KEST_SIGN_URL}" "-DTIMESTAMP_URL=${KEST_SIGN_TIMESTAMP_URL}"
      -P ${CMAKE_SOURCE_DIR}/cmake/SignInstaller.cmake
    VERBATIM)
endfunction()
