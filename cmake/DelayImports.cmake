# Delay-import libraries: a DLL linked through one is loaded on the first
# call into it instead of at process start. The screen saver's start uses
# none of these DLLs, and each one loaded at start (comctl32 registers its
# window classes and loads its theme resources; comdlg32 brings winspool,
# winmm brings msacm32) delays the first frame.
#
# quorvel_delay_import_libs(<out-var> <dll>...) makes, at configure time,
# lib<dll>_delay.a from the MinGW-w64 import library's exports and sets
# <out-var> to the libraries to link instead of <dll>, with the helper that
# loads them.
function(quorvel_delay_import_libs out)
  find_program(QV_NM NAMES ${TOOLCHAIN_PREFIX}-nm REQUIRED)
  find_program(QV_DLLTOOL NAMES ${TOOLCHAIN_PREFIX}-dlltool REQUIRED)
  set(dir ${CMAKE_BINARY_DIR}/delay-imports)
  file(MAKE_DIRECTORY ${dir})
  set(libs)
  foreach(dll IN LISTS ARGN)
    find_library(QV_IMPORT_${dll} NAMES lib${dll}.a REQUIRED)
    execute_process(COMMAND ${QV_NM} --defined-only ${QV_IMPORT_${dll}} OUTPUT_VARIABLE symbols
                    COMMAND_ERROR_IS_FATAL ANY)
    # The functions the import library names: text symbols other than the
    # __imp_ pointers and section names.
    string(REGEX MATCHALL "[0-9a-f]+ T [A-Za-z_][A-Za-z0-9_@]*" lines "${symbols}")
    set(def "LIBRARY ${dll}.dll\nEXPORTS\n")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[0-9a-f]+ T " "" name "${line}")
      string(APPEND def "${name}\n")
    endforeach()
    file(WRITE ${dir}/${dll}.def "${def}")
    execute_process(COMMAND ${QV_DLLTOOL} --input-def ${dir}/${dll}.def --dllname ${dll}.dll
                            --output-delaylib ${dir}/lib${dll}_delay.a
                    COMMAND_ERROR_IS_FATAL ANY)
    list(APPEND libs ${dir}/lib${dll}_delay.a)
  endforeach()
  set(${out} ${libs} delayimp PARENT_SCOPE)
endfunction()
