# Small helpers shared by the subsystem folders.

# kest_sanitize(target): build and link TARGET with AddressSanitizer and
# UndefinedBehaviorSanitizer, stopping at the first report.
function(kest_sanitize target)
  target_compile_options(${target} PRIVATE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(${target} PRIVATE -fsanitize=address,undefined)
endfunction()

# kest_win32_static(target): a Windows program or DLL with the runtime linked
# in statically, so that no DLL has to travel beside it, and with no link
# time stamp in its header, so that every build of the same sources gives
# the same bytes (and so the same header checksum, computed over them).
function(kest_win32_static target)
  target_link_options(${target} PRIVATE
    -static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp)
endfunction()

# kest_win32_gui(target): a Windows GUI program (for the tree's processor).
function(kest_win32_gui target)
  kest_win32_static(${target})
  target_link_options(${target} PRIVATE -mwindows)
endfunction()

# kest_win32_console(target): the same for a console program (test drivers).
function(kest_win32_console target)
  kest_win32_static(${target})
  target_link_options(${target} PRIVATE -mconsole)
endfunction()
