#!/usr/bin/env bash
# Provides a static Qt 6 (Core, Gui, Widgets, Test) for 64-bit Windows, built
# with Debian's mingw-w64 compilers from the source of Debian's own Qt, so the
# cross-built programator.exe and Debian's host tools (moc, rcc, uic) are the
# same Qt version. Built once into a cache outside the source tree and reused:
#
#   ${XDG_CACHE_HOME:-$HOME/.cache}/ktq51/qt-<version>-<key>
#
# The key covers the source version, the configure options, the toolchain and
# the compiler version, so a change to any of them builds a new prefix. Prints
# the prefix on stdout as its last line; progress goes to a log beside it, one
# line per stage to stderr. Takes about 30 minutes on 2 cores the first time;
# an interrupted or failed build is continued by the next run.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

"$here/deps.sh" qt6-base-dev-tools g++-mingw-w64-x86-64-posix dpkg-dev

say() { echo "qt-mingw: $*" >&2; }
fail() { say "ERROR: $*"; exit 1; }

# The source must be exactly the version of the installed host tools.
host_version=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools)
upstream=${host_version%%+*}       # 6.4.2+dfsg-10 -> 6.4.2
upstream=${upstream%%-*}

gxx=x86_64-w64-mingw32-g++-posix
compiler=$($gxx --version | head -n1)

# The toolchain Qt is built with: the program's own target and compilers,
# without Wine or link flags. A copy is stored inside the prefix, because the
# installed qt.toolchain.cmake refers to it by its absolute path. Its settings,
# not its comments, go into the key.
toolchain_file=$here/../cmake/mingw-w64-compilers.cmake
toolchain=$(grep -v -e '^#' -e '^ *$' "$toolchain_file")

# dynamicgl goes with opengl: left on, the windows plugin still refers to
# the OpenGL classes that are not built.
off_features=(opengl dynamicgl network sql xml dbus printsupport concurrent vulkan
              direct2d1_1 jpeg gif zstd icu tabletevent
              system_zlib system_pcre2 system_doubleconversion system_freetype
              system_harfbuzz system_png system_jpeg system_libb2)
options=(-DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF
         -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
         -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake)
for f in "${off_features[@]}"; do options+=("-DFEATURE_$f=OFF"); done

key=$(printf '%s\n' "$host_version" "$compiler" "$toolchain" "${options[@]}" |
      sha256sum | cut -c1-12)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/ktq51
prefix=$cache/qt-$upstream-$key
log=$cache/qt-$upstream-$key.log
mkdir -p "$cache"

# One build at a time per prefix; a second caller waits and then reuses it.
exec 9>"$prefix.lock"
flock 9

if [[ -f $prefix/.complete ]]; then
    say "Qt $upstream from the cache: $prefix"
    echo "$prefix"
    exit 0
fi

# The build tree stays until the install is done, so that a run that was
# interrupted or failed is continued, not begun again.
work=$cache/build-$key
mkdir -p "$work" "$prefix"
if [[ -f $work/.source-done ]]; then
    say "continuing the build of Qt $upstream, log: $log"
else
    : >"$log"
    say "building Qt $upstream for Windows (about half an hour), log: $log"
fi

# --- source ------------------------------------------------------------------
# A deb-src entry for exactly the archive that supplied the installed host
# tools, read from apt's own answer, in a private apt configuration that
# leaves the system's untouched.
if [[ ! -f $work/.source-done ]]; then
    say "1/4 fetching the source package qt6-base $host_version"
    rm -rf "$work/apt" "$work/src" "$work"/qt6-base_*
    apt_dir=$work/apt
    mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/sources.list.d"
    apt-cache policy qt6-base-dev-tools | awk -v want="$host_version" '
        $1 == "***" { inside = ($2 == want); next }
        NF == 2 && $2 ~ /^[0-9]+$/ && $1 !~ /^[0-9]+$/ { inside = ($1 == want); next }
        inside && $2 ~ /^[a-z]+:\/\// && $3 ~ /\// {
            split($3, sc, "/"); print "deb-src " $2 " " sc[1] " " sc[2]
        }' | sort -u >"$apt_dir/sources.list"
    [[ -s $apt_dir/sources.list ]] || fail "cannot tell which archive qt6-base-dev-tools $host_version came from"
    apt_opts=(-o Dir::Etc::SourceList="$apt_dir/sources.list"
              -o Dir::Etc::SourceParts="$apt_dir/sources.list.d"
              -o Dir::State::Lists="$apt_dir/lists"
              -o Dir::Cache="$apt_dir/cache"
              -o APT::Sandbox::User="$(id -un)")
    apt-get "${apt_opts[@]}" update >>"$log" 2>&1 || fail "apt-get update failed, see $log"
    (cd "$work" && apt-get "${apt_opts[@]}" source --download-only "qt6-base=$host_version") >>"$log" 2>&1 ||
        fail "cannot fetch the source package qt6-base $host_version, see $log"
    (cd "$work" && dpkg-source -x qt6-base_*.dsc src) >>"$log" 2>&1 || fail "dpkg-source failed, see $log"
    rm -rf "$apt_dir" "$work"/qt6-base_*
    touch "$work/.source-done"
fi

src_version=$(sed -n 's/^set(QT_REPO_MODULE_VERSION "\([0-9.]*\)").*/\1/p' "$work/src/.cmake.conf")
[[ $src_version == "$upstream" ]] ||
    fail "the Qt source version ($src_version) differs from qt6-base-dev-tools ($host_version)"

# --- configure, build, install -----------------------------------------------
cp "$toolchain_file" "$prefix/mingw-w64-qt.cmake"
if [[ ! -f $work/build/build.ninja ]]; then
    say "2/4 configuring"
    cmake -S "$work/src" -B "$work/build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$prefix/mingw-w64-qt.cmake" \
        -DCMAKE_INSTALL_PREFIX="$prefix" "${options[@]}" >>"$log" 2>&1 ||
        fail "configuring Qt failed, see $log"
fi
say "3/4 building"
cmake --build "$work/build" >>"$log" 2>&1 || fail "building Qt failed, see $log (the next run continues)"
say "4/4 installing into $prefix"
cmake --install "$work/build" >>"$log" 2>&1 || fail "installing Qt failed, see $log"

touch "$prefix/.complete"
rm -rf "$work"
say "done: $(du -sh "$prefix" | cut -f1)"
echo "$prefix"
