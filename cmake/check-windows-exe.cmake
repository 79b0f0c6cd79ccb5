# Checks a cross-built Windows executable: it imports only DLLs that every
# Windows has (no Qt, no compiler runtime), it is at most MAX_BYTES, and it
# carries the manifest that allows long paths.
#   cmake -DEXE=programator.exe -DOBJDUMP=x86_64-w64-mingw32-objdump -DMAX_BYTES=n -P check-windows-exe.cmake
cmake_minimum_required(VERSION 3.25)
set(system_dlls
    advapi32 comdlg32 d3d11 d3d9 dwmapi dwrite dxgi gdi32 imm32 kernel32 msvcrt mpr netapi32
    ole32 oleaut32 setupapi shcore shell32 shlwapi user32 userenv uxtheme version winmm ws2_32 wtsapi32
    authz)

execute_process(COMMAND "${OBJDUMP}" -p "${EXE}" OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "${OBJDUMP} -p ${EXE} failed")
endif()
string(REGEX MATCHALL "DLL Name: [^\n]+" lines "${dump}")
set(imports "")
foreach(line IN LISTS lines)
    string(REGEX REPLACE "DLL Name: ([^\n]+)" "\\1" dll "${line}")
    string(STRIP "${dll}" dll)
    string(TOLOWER "${dll}" lower)
    string(REGEX REPLACE "\\.dll$" "" stem "${lower}")
    list(APPEND imports "${dll}")
    if(NOT stem IN_LIST system_dlls AND NOT stem MATCHES "^api-ms-win-")
        message(SEND_ERROR "${EXE} imports ${dll}, which is not a Windows system DLL")
    endif()
endforeach()
if(NOT imports)
    message(FATAL_ERROR "no DLL imports found in ${EXE}: not a Windows executable?")
endif()
list(JOIN imports " " shown)
message(STATUS "imports: ${shown}")

file(SIZE "${EXE}" bytes)
math(EXPR mib "${bytes} / 1048576")
message(STATUS "size: ${bytes} bytes (${mib} MiB)")
if(bytes GREATER MAX_BYTES)
    message(SEND_ERROR "${EXE} is ${bytes} bytes, more than ${MAX_BYTES}")
endif()

file(STRINGS "${EXE}" aware REGEX "longPathAware" LIMIT_COUNT 1)
if(NOT aware)
    message(SEND_ERROR "${EXE} has no manifest that allows long paths")
endif()
