#!/usr/bin/env python3
"""Checks of the release files that need no Windows: what the zip holds, which
DLLs sylvane.exe imports, and the version each file carries.

  release_checks.py zip ZIP                     the portable program folder
  release_checks.py imports EXE                 only DLLs every Windows 10/11 has
  release_checks.py version EXE VERSION NAME    VERSIONINFO strings
  release_checks.py regfile FILE.reg KEY NAME   prints one value of a `reg export` file
Each prints "PASS: ..." or "FAIL: ..." lines; the exit code is 1 when one failed.
"""
import re
import subprocess
import sys
import zipfile

# DLLs present in every installation of Windows 10 and 11 (the system
# libraries; api-ms-win-crt-* forward to the Universal CRT, part of Windows 10).
SYSTEM_DLLS = {
    "advapi32.dll", "comctl32.dll", "comdlg32.dll", "crypt32.dll", "dwmapi.dll",
    "gdi32.dll", "gdiplus.dll", "imm32.dll", "kernel32.dll", "msimg32.dll",
    "msvcrt.dll", "ole32.dll", "oleaut32.dll", "shell32.dll", "shlwapi.dll",
    "ucrtbase.dll", "user32.dll", "uxtheme.dll", "version.dll", "winmm.dll",
    "winspool.drv", "ws2_32.dll", "bcrypt.dll", "ntdll.dll", "uuid.dll", "wtsapi32.dll",
}

failures = 0


def check(ok, name, detail=""):
    global failures
    if ok:
        print(f"PASS: {name}")
    else:
        failures += 1
        print(f"FAIL: {name}{': ' + detail if detail else ''}")


def check_zip(path):
    with zipfile.ZipFile(path) as z:
        names = set(z.namelist())
        bad = z.testzip()
    check(bad is None, "zip reads back without CRC errors", str(bad))
    top = {n.split("/", 1)[0] for n in names}
    check(top == {"Sylvane"}, "zip holds one folder Sylvane", ", ".join(sorted(top)))
    for need in ["sylvane.exe", "README-ja.txt", "README-en.txt", "skin/skin.txt",
                 "licenses/libpng.txt", "licenses/libjpeg-turbo.txt", "licenses/zlib.txt",
                 "licenses/mingw-w64-runtime.txt", "licenses/gcc-runtime.txt"]:
        check("Sylvane/" + need in names, f"zip holds {need}")
    for folder in ["imgb", "prj_data", "sound", "trees"]:
        check(any(n.startswith(f"Sylvane/{folder}/") and not n.endswith("/") for n in names),
              f"zip holds files in {folder}")
    check("Sylvane/ki_log/" in names and not any(n.startswith("Sylvane/ki_log/") and n != "Sylvane/ki_log/"
                                                 for n in names), "zip holds an empty ki_log")
    # Nothing the program writes itself may ship: it would overwrite a garden.
    for own in ["sylvane.ini", "default.syl", "default.bmp"]:
        check("Sylvane/" + own not in names, f"zip holds no {own}")


def check_imports(path):
    out = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", path], capture_output=True, text=True, check=True).stdout
    dlls = sorted({m.lower() for m in re.findall(r"DLL Name: (\S+)", out)})
    print("imports: " + " ".join(dlls))
    check(len(dlls) > 0, "sylvane.exe has an import table")
    extra = [d for d in dlls if d not in SYSTEM_DLLS and not d.startswith("api-ms-win-")]
    check(not extra, "sylvane.exe imports only Windows system DLLs", ", ".join(extra))
    # Delay-loaded DLLs and those loaded by name at run time are not in the
    # import table: every DLL name the file holds must be a system DLL too.
    data = open(path, "rb").read()
    named = sorted({m.decode().lower() for m in re.findall(rb"([A-Za-z0-9_.-]+\.(?:dll|DLL|drv|DRV))\0", data)})
    print("DLL names held: " + " ".join(named))
    check("comctl32.dll" in named, "sylvane.exe names the common controls it loads")
    extra = [d for d in named if d not in SYSTEM_DLLS and not d.startswith("api-ms-win-")]
    check(not extra, "sylvane.exe loads only Windows system DLLs", ", ".join(extra))


def version_strings(path):
    """Key/value pairs of the StringFileInfo tables (UTF-16LE in the resource)."""
    data = open(path, "rb").read()
    pairs = {}
    for key in ["ProductName", "ProductVersion", "FileVersion", "FileDescription", "CompanyName", "LegalCopyright"]:
        k = key.encode("utf-16-le") + b"\0\0"
        i = data.find(k)
        if i < 0:
            continue
        j = i + len(k)
        # The value follows, aligned to 32 bits within the resource; skip zero padding.
        while j < len(data) - 1 and data[j:j + 2] == b"\0\0":
            j += 2
        end = j
        while end < len(data) - 1 and data[end:end + 2] != b"\0\0":
            end += 2
        pairs[key] = data[j:end].decode("utf-16-le", "replace")
    return pairs


def check_version(path, version, product):
    v = version_strings(path)
    print("version info: " + ", ".join(f"{k}={v[k]}" for k in sorted(v)))
    check(v.get("ProductVersion") == version, f"{path.rsplit('/', 1)[-1]} ProductVersion is {version}", v.get("ProductVersion", "none"))
    check(v.get("FileVersion") == version, f"{path.rsplit('/', 1)[-1]} FileVersion is {version}", v.get("FileVersion", "none"))
    check(v.get("ProductName") == product, f"{path.rsplit('/', 1)[-1]} ProductName is {product}", v.get("ProductName", "none"))
    for key in ["FileDescription", "CompanyName", "LegalCopyright"]:
        check(bool(v.get(key)), f"{path.rsplit('/', 1)[-1]} has {key}")


def regfile_value(path, key, name):
    raw = open(path, "rb").read()
    text = raw.decode("utf-16") if raw[:2] in (b"\xff\xfe", b"\xfe\xff") else raw.decode("utf-8", "replace")
    section = None
    for line in text.splitlines():
        line = line.strip()
        if line.startswith("[") and line.endswith("]"):
            section = line[1:-1]
            continue
        if section is None or section.lower() != key.lower():
            continue
        m = re.match(r'^(@|"((?:[^"\\]|\\.)*)")=(.*)$', line)
        if not m:
            continue
        value_name = "" if m.group(1) == "@" else m.group(2).replace('\\"', '"').replace("\\\\", "\\")
        if value_name.lower() != name.lower():
            continue
        value = m.group(3)
        if value.startswith('"'):
            print(value[1:-1].replace('\\"', '"').replace("\\\\", "\\"))
        elif value.startswith("dword:"):
            print(int(value[6:], 16))
        else:
            print(value)
        return 0
    return 1


def main(argv):
    if len(argv) >= 3 and argv[1] == "zip":
        check_zip(argv[2])
    elif len(argv) >= 3 and argv[1] == "imports":
        check_imports(argv[2])
    elif len(argv) >= 5 and argv[1] == "version":
        check_version(argv[2], argv[3], argv[4])
    elif len(argv) >= 5 and argv[1] == "regfile":
        return regfile_value(argv[2], argv[3], argv[4])
    else:
        sys.stderr.write(__doc__)
        return 2
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
