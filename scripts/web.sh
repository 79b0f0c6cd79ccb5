#!/usr/bin/env bash
# Builds the page in the browser: the program's WebAssembly core (the web
# preset: Debian's clang for wasm32-wasi), the page's one npm dependency
# for its tests (npm ci, from the lockfile), and web/dist, the folder of
# static files a school puts on its web server; and packs that folder as
# build/web/programator-web-VERSION.zip.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh clang-14 lld-14 wasi-libc libc++-14-dev-wasm32 libc++abi-14-dev-wasm32 libclang-rt-14-dev-wasm32
# Node.js and npm as the machine has them; Debian's where it has none.
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then scripts/deps.sh nodejs npm; fi

cmake --preset web -DKTQ_WERROR=ON >/dev/null
cmake --build --preset web
(cd web && npm ci --no-audit --no-fund --loglevel=error && node build.js)

version=$(node -p 'require("./web/package.json").version')
zip=build/web/programator-web-$version.zip
rm -f "$zip"
(cd web/dist && cmake -E tar cf "../../$zip" --format=zip -- .)
echo "web: $zip"
