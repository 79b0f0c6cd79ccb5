# ktq_add_windows_resources(TARGET EXE_NAME): gives a Windows executable the
# program's icon, application manifest and version information
# (packaging/windows/programator.rc.in).
# Does nothing elsewhere.
function(ktq_add_windows_resources target exe_name)
    if(NOT WIN32)
        return()
    endif()
    set(KTQ_ICON_FILE "${PROJECT_SOURCE_DIR}/packaging/icons/programator.ico")
    set(KTQ_EXE_NAME "${exe_name}")
    set(KTQ_MANIFEST_FILE "${PROJECT_SOURCE_DIR}/packaging/windows/programator.manifest")
    set(rc "${CMAKE_CURRENT_BINARY_DIR}/${target}.rc")
    configure_file("${PROJECT_SOURCE_DIR}/packaging/windows/programator.rc.in" "${rc}" @ONLY)
    target_sources(${target} PRIVATE "${rc}")
endfunction()
