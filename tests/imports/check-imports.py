#!/usr/bin/python3
"""Checks that programs import DLLs only from the system's KnownDLLs (plus ntdll, which every
process has, and API sets, which the loader maps itself). Any other DLL named in an import
table is looked up by the loader before the program runs, beside the program first, where a
planted copy would be taken. One exception: comctl32.dll in a program whose embedded manifest
binds Common-Controls 6, which the loader takes from the system's side-by-side store before
it looks beside the program.

  check-imports.py [--program EXE]... [--optional EXE]... [--expect-flagged DLL]

--program must exist; --optional is checked when it exists (the other architecture's build).
With --expect-flagged the check succeeds only when that DLL is flagged in every program: a
check of the check.
"""
import argparse
import os
import re
import subprocess
import sys

# HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\KnownDLLs of Windows 7 to 11,
# the names that every one of them lists.
KNOWN_DLLS = {
    "advapi32.dll", "clbcatq.dll", "comdlg32.dll", "gdi32.dll", "imagehlp.dll", "imm32.dll",
    "kernel32.dll", "msctf.dll", "msvcrt.dll", "normaliz.dll", "nsi.dll", "ole32.dll",
    "oleaut32.dll", "psapi.dll", "rpcrt4.dll", "sechost.dll", "setupapi.dll", "shell32.dll",
    "shlwapi.dll", "user32.dll", "wldap32.dll", "ws2_32.dll",
}
ALWAYS_LOADED = {"ntdll.dll"}


def objdump_for(path):
    for triple in ("x86_64-w64-mingw32", "i686-w64-mingw32"):
        tool = "/usr/bin/%s-objdump" % triple
        if os.path.exists(tool):
            return tool
    sys.exit("no MinGW objdump found")


def imports(path):
    out = subprocess.run([objdump_for(path), "-p", path], check=True, capture_output=True,
                         text=True).stdout
    if "The Import Tables" not in out and "DLL Name:" not in out:
        sys.exit("%s: no import table read" % path)
    return [m.group(1) for m in re.finditer(r"DLL Name:\s*(\S+)", out)]


def binds_common_controls(path):
    with open(path, "rb") as f:
        data = f.read()
    return re.search(rb'name="Microsoft\.Windows\.Common-Controls"', data) is not None


def unsafe(dll, path):
    name = dll.lower()
    if name.startswith("api-ms-win-") or name.startswith("ext-ms-win-"):
        return False
    if name == "comctl32.dll" and binds_common_controls(path):
        return False
    return name not in KNOWN_DLLS and name not in ALWAYS_LOADED


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", action="append", default=[])
    parser.add_argument("--optional", action="append", default=[])
    parser.add_argument("--expect-flagged")
    args = parser.parse_args()
    programs = list(args.program)
    for path in args.program:
        if not os.path.exists(path):
            sys.exit("%s: missing" % path)
    programs += [p for p in args.optional if os.path.exists(p)]
    failed = False
    for path in programs:
        dlls = imports(path)
        flagged = [d for d in dlls if unsafe(d, path)]
        print("%s: %s" % (path, ", ".join(dlls)))
        if args.expect_flagged:
            if args.expect_flagged.lower() not in (d.lower() for d in flagged):
                print("  NOT FLAGGED: %s" % args.expect_flagged)
                failed = True
        elif flagged:
            print("  not a KnownDLL: %s" % ", ".join(flagged))
            failed = True
    if not programs:
        sys.exit("nothing to check")
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
