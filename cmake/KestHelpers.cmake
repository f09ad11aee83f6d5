# Small helpers shared by the subsystem folders.

# kest_sanitize(target): build and link TARGET with AddressSanitizer and
# UndefinedBehaviorSanitizer, stopping at the first report.
function(kest_sanitize target)
  target_compile_options(${target} PRIVATE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(${target} PRIVATE -fsanitize=address,undefined)
endfunction()

# kest_win32_gui(target): a 32-bit Windows GUI program with the runtime
# linked in statically, so that no DLL has to travel beside it.
function(kest_win32_gui target)
  target_link_options(${target} PRIVATE -mwindows -static -static-libgcc -static-libstdc++)
endfunction()

# kest_win32_console(target): the same for a console program (test drivers).
function(kest_win32_console target)
  target_link_options(${target} PRIVATE -mconsole -static -static-libgcc -static-libstdc++)
endfunction()
