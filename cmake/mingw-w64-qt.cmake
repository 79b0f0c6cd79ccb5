# Cross-build for 64-bit Windows with the static Qt that scripts/qt-mingw.sh
# builds: its prefix comes in KTQ_QT_MINGW. Qt's own toolchain file finds Qt
# there and Debian's host tools (moc, rcc, uic) under /usr; it then loads our
# mingw-w64 toolchain for the compilers and Wine.
if(NOT DEFINED ENV{KTQ_QT_MINGW} OR NOT EXISTS "$ENV{KTQ_QT_MINGW}/lib/cmake/Qt6/qt.toolchain.cmake")
    message(FATAL_ERROR "KTQ_QT_MINGW must name the prefix made by scripts/qt-mingw.sh "
                        "(scripts/windows-check.sh and scripts/windows-build.sh set it)")
endif()
set(QT_CHAINLOAD_TOOLCHAIN_FILE "${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake")
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
include("$ENV{KTQ_QT_MINGW}/lib/cmake/Qt6/qt.toolchain.cmake")
