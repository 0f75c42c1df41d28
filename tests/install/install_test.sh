#!/usr/bin/env bash
# Installs a build tree into a temporary prefix and uses what was installed:
#   install_test.sh BUILD_DIR LIBDIR VERSION C_COMPILER C_FLAGS
# LIBDIR is the library directory below the prefix; C_FLAGS are the flags the build's own C
# code gets (a sanitizer build's installed library needs its runtime in the application too).
set -u

build=$(realpath "$1")
libdir=$2
version=$3
cc=$4
cflags=$5
here=$(dirname "$(realpath "$0")")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
export KESTREL_HOME="$work/kestrel" VAZERIR_REGISTRY="$work/registry.reg" HOME="$work/home"
export VAZERIR_COMPUTERNAME=INSTALLHOST NO_COLOR=1
unset KESTREL_API_LIBRARY PKG_CONFIG_PATH
mkdir -p "$HOME"

fail() {
  echo "FAILED: $*"
  exit 1
}
# Runs a command, failing with its output when it fails.
run() {
  "$@" >"$work/step.log" 2>&1 || fail "$*: $(cat "$work/step.log")"
}

run cmake --install "$build" --prefix "$prefix"

# The files, the library's soname and its links.
for file in bin/kestrel-admin bin/kestreld bin/vzconsole include/KestrelAPI.h "$libdir/libVAZERir.so" \
  "$libdir/libKestrelAPI.so.$version" "$libdir/pkgconfig/kestrel-api.pc" \
  "$libdir/cmake/KestrelAPI/KestrelAPIConfig.cmake" \
  "$libdir/cmake/KestrelAPI/KestrelAPIConfigVersion.cmake" lib/systemd/system/kestreld.service; do
  [[ -f "$prefix/$file" ]] || fail "$file was not installed"
done
major=${version%%.*}
[[ "$(readlink "$prefix/$libdir/libKestrelAPI.so")" == "libKestrelAPI.so.$major" ]] ||
  fail "libKestrelAPI.so does not link to libKestrelAPI.so.$major"
[[ "$(readlink "$prefix/$libdir/libKestrelAPI.so.$major")" == "libKestrelAPI.so.$version" ]] ||
  fail "libKestrelAPI.so.$major does not link to libKestrelAPI.so.$version"
readelf -d "$prefix/$libdir/libKestrelAPI.so.$version" | grep -q "SONAME.*\[libKestrelAPI.so.$major\]" ||
  fail "the library's soname is not libKestrelAPI.so.$major"
# Nothing installed still looks for libraries in the build tree.
for file in "$prefix"/bin/* "$prefix/$libdir"/*.so; do
  if readelf -d "$file" | grep -E 'R(UN)?PATH' | grep -qF "$build"; then
    fail "$file searches the build tree: $(readelf -d "$file" | grep -E 'R(UN)?PATH')"
  fi
done

# The unit runs the installed daemon on the home its environment names, and enables nothing.
grep -qxF "ExecStart=$prefix/bin/kestreld --home \${KESTREL_HOME}" \
  "$prefix/lib/systemd/system/kestreld.service" ||
  fail "the unit does not start $prefix/bin/kestreld: $(grep ExecStart "$prefix/lib/systemd/system/kestreld.service")"
[[ ! -e "$prefix/etc" ]] || fail "installing wrote into etc/"

# The application, built through pkg-config and through the CMake package.
export PKG_CONFIG_PATH="$prefix/$libdir/pkgconfig"
[[ "$(pkg-config --modversion kestrel-api)" == "$version" ]] || fail "pkg-config version"
read -r -a flags <<<"$cflags"
# shellcheck disable=SC2046 # pkg-config's words are separate arguments
run "$cc" -std=c11 -Wall -Wextra -Werror "${flags[@]}" -o "$work/client-pkgconfig" \
  "$here/kestrel_client.c" $(pkg-config --cflags --libs kestrel-api)

mkdir -p "$work/app"
cp "$here/kestrel_client.c" "$work/app/"
cat >"$work/app/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.25)
project(KestrelClient C)
find_package(KestrelAPI 1 REQUIRED)
add_executable(kestrel_client kestrel_client.c)
target_compile_options(kestrel_client PRIVATE -Wall -Wextra -Werror)
target_link_libraries(kestrel_client PRIVATE KestrelAPI::KestrelAPI)
CMAKE
run cmake -S "$work/app" -B "$work/app/build" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_C_COMPILER="$cc" -DCMAKE_C_FLAGS="$cflags" -DCMAKE_EXE_LINKER_FLAGS="$cflags"
run cmake --build "$work/app/build"

# Both run on the demo data that the installed kestrel-admin makes, with the installed library.
run "$prefix/bin/kestrel-admin" init-demo
expected="schemas: 3
schema Sales 1.0: Northwind Southwind
schema Sales 2.0: Eastwind
schema Staff 1.0: Personnel
logged on to Northwind as ANNA: SYSUser is class known"
output=$(LD_LIBRARY_PATH="$prefix/$libdir" "$work/client-pkgconfig" KestrelOS20 ANNA anna 2>&1) ||
  fail "the pkg-config build: $output"
[[ "$output" == "$expected" ]] || fail "the pkg-config build printed:
$output"
output=$("$work/app/build/kestrel_client" KestrelOS20 ANNA anna 2>&1) ||
  fail "the CMake build: $output"
[[ "$output" == "$expected" ]] || fail "the CMake build printed:
$output"
output=$("$work/app/build/kestrel_client" KestrelOS20 anna wrong 2>&1)
[[ $? == 1 && "$output" == *"KSCreateSession failed"* ]] || fail "a wrong password: $output"

# The same program as a client of the installed daemon on that home.
"$prefix/bin/kestreld" --home "$KESTREL_HOME" 2>"$work/kestreld.log" &
daemon=$!
trap 'kill -9 $daemon 2>/dev/null; rm -rf "$work"' EXIT
for ((i = 0; i < 200; ++i)); do
  [[ -S "$KESTREL_HOME/kestreld.sock" ]] && break
  sleep 0.1
done
[[ -S "$KESTREL_HOME/kestreld.sock" ]] || fail "the installed kestreld did not start: $(cat "$work/kestreld.log")"
output=$("$work/app/build/kestrel_client" KestrelOS20 ANNA anna 2>&1) ||
  fail "the program through kestreld: $output"
[[ "$output" == "$expected" ]] || fail "the program through kestreld printed:
$output"
grep -q "^kestreld: client .* attached" "$work/kestreld.log" ||
  fail "the program did not go through kestreld: $(cat "$work/kestreld.log")"
kill -TERM "$daemon"
wait "$daemon" || fail "kestreld did not exit 0 on SIGTERM: $(cat "$work/kestreld.log")"

# The installed console registers and loads the installed module, which finds the library.
run "$prefix/bin/vzconsole" --register "$prefix/$libdir/libVAZERir.so"
output=$("$prefix/bin/vzconsole" --batch - 2>&1 <<'BATCH'
new
on-form "Add Server..." set NameEdit=KestrelOS20 click OKBtn
run "Add Server..." Workstations/installhost/Servers
select Workstations/installhost/Servers/KestrelOS20
list
BATCH
) || fail "vzconsole: $output"
[[ "$output" == *"Staff - 1.0 | 0"* ]] || fail "vzconsole listed:
$output"
echo "installed into $prefix and used"
