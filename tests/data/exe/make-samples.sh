#!/bin/sh
# Builds the sample executables of the executable-header tests and the
# reference listings the tests compare with, using Debian's MinGW-w64 cross
# toolchains (packages gcc-mingw-w64-x86-64, gcc-mingw-w64-i686 and their
# binutils). The link time stamp is fixed so the files come out the same on
# every run.
set -eu
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

export SOURCE_DATE_EPOCH=1700000000
cat > "$work/hello.c" <<'SRC'
#include <stdio.h>
int main(void) { puts("hello"); return 0; }
SRC
cat > "$work/greet.c" <<'SRC'
__declspec(dllexport) int greet(int n) { return n * 3 + 1; }
SRC

flags="-Os -s -Wl,--insert-timestamp"
x86_64-w64-mingw32-gcc $flags "$work/hello.c" -o hello64.exe
i686-w64-mingw32-gcc $flags "$work/hello.c" -o hello32.exe
i686-w64-mingw32-gcc $flags -shared "$work/greet.c" -o greet32.dll

x86_64-w64-mingw32-objdump -x hello64.exe > hello64.exe.objdump
i686-w64-mingw32-objdump -x hello32.exe > hello32.exe.objdump
i686-w64-mingw32-objdump -x greet32.dll > greet32.dll.objdump
