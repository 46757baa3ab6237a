#!/usr/bin/env python3
"""What Windows checks of the files that ship, read from the files themselves: no 32-bit CPU
is needed. Every program and DLL of the setup is i386 with a manifest (where it has one)
naming x86 or "*", large-address-aware programs, ASLR and DEP, imports from Windows' own
DLLs and ours only, the hook library's exports at their ordinals; and the setup's payload
is exactly these files.

Usage: check_shipped.py BIN_DIR SETUP_EXE
"""
import os
import re
import struct
import subprocess
import sys
import tempfile

MACHINE_I386 = 0x14C
FILE_LARGE_ADDRESS_AWARE = 0x0020
FILE_DLL = 0x2000
DLL_DYNAMIC_BASE = 0x0040
DLL_NX_COMPAT = 0x0100
RT_MANIFEST = 24

# Windows' own DLLs (msvcrt.dll is the system's C library, part of every Windows since 2000).
SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "ole32.dll",
    "oleaut32.dll", "comctl32.dll", "comdlg32.dll", "winspool.drv", "msvcrt.dll", "version.dll",
    "shlwapi.dll", "uxtheme.dll", "msimg32.dll", "uuid.dll",
}

# What ships, and what each must be.
SHIPPED = {
    # name: (a program?, DLLs of ours it may import, exports by name -> ordinal)
    "Quillet.exe": (True, {"hookdll.dll"}, {}),
    "quillet-print.exe": (True, set(), {}),
    "escp-view.exe": (True, set(), {}),
    "HOOKDLL.dll": (False, set(), {"InstallHook": 1, "RemoveHook": 2}),
}


class Pe:
    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        d = self.data
        if d[:2] != b"MZ":
            raise ValueError("no MZ header")
        pe = struct.unpack_from("<I", d, 0x3C)[0]
        if d[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE header")
        self.machine, sections, _, _, _, optional_size, self.characteristics = struct.unpack_from("<HHIIIHH", d, pe + 4)
        opt = pe + 24
        self.magic = struct.unpack_from("<H", d, opt)[0]
        pe32plus = self.magic == 0x20B
        self.dll_characteristics = struct.unpack_from("<H", d, opt + 70)[0]
        dirs = opt + (112 if pe32plus else 96)
        count = struct.unpack_from("<I", d, dirs - 4)[0]
        self.dirs = [struct.unpack_from("<II", d, dirs + 8 * i) for i in range(count)]
        self.sections = []
        at = opt + optional_size
        for i in range(sections):
            vsize, va, rsize, raw = struct.unpack_from("<IIII", d, at + 40 * i + 8)
            self.sections.append((va, max(vsize, rsize), raw))

    def offset(self, rva):
        for va, size, raw in self.sections:
            if va <= rva < va + size:
                return rva - va + raw
        raise ValueError("RVA %#x outside every section" % rva)

    def cstr(self, rva):
        at = self.offset(rva)
        return self.data[at:self.data.index(b"\0", at)].decode("ascii")

    def directory(self, index):
        return self.dirs[index] if index < len(self.dirs) and self.dirs[index][0] else None

    def imports(self):
        names = []
        d = self.directory(1)
        if d:
            at = self.offset(d[0])
            while True:
                entry = struct.unpack_from("<IIIII", self.data, at)
                if not any(entry):
                    break
                names.append(self.cstr(entry[3]).lower())
                at += 20
        return names

    def exports(self):
        d = self.directory(0)
        if not d:
            return {}
        at = self.offset(d[0])
        base, _, count, _, names, name_ordinals = struct.unpack_from("<IIIIII", self.data, at + 16)
        result = {}
        for i in range(count):
            name = self.cstr(struct.unpack_from("<I", self.data, self.offset(names) + 4 * i)[0])
            result[name] = base + struct.unpack_from("<H", self.data, self.offset(name_ordinals) + 2 * i)[0]
        return result

    def resources(self, type_id):
        """The data of every resource of the type, in any name and language."""
        d = self.directory(2)
        if not d:
            return []
        root = self.offset(d[0])

        def entries(table):
            named, ids = struct.unpack_from("<HH", self.data, table + 12)
            for i in range(named + ids):
                yield struct.unpack_from("<II", self.data, table + 16 + 8 * i)

        found = []

        def leaves(offset):
            if offset & 0x80000000:
                for _, child in entries(root + (offset & 0x7FFFFFFF)):
                    leaves(child)
            else:
                rva, size = struct.unpack_from("<II", self.data, root + offset)
                at = self.offset(rva)
                found.append(self.data[at:at + size])

        for ident, child in entries(root):
            if ident == type_id:
                leaves(child)
        return found


def manifest_architecture(pe):
    """The processorArchitecture of the program's own assemblyIdentity, or None without one."""
    for xml in pe.resources(RT_MANIFEST):
        text = xml.decode("utf-8", "replace")
        # The first assemblyIdentity is the program's own; the dependencies' come later.
        own = re.search(r"<assemblyIdentity\b[^>]*>", text)
        if own:
            arch = re.search(r'processorArchitecture\s*=\s*["\']([^"\']*)["\']', own.group(0))
            return arch.group(1) if arch else ""
    return None


def check(path, program, own_dlls, exports):
    problems = []
    try:
        pe = Pe(path)
    except (OSError, ValueError) as error:
        return ["cannot be read: %s" % error]
    if pe.machine != MACHINE_I386 or pe.magic != 0x10B:
        problems.append("not an i386 PE32 file (machine %#x)" % pe.machine)
    if bool(pe.characteristics & FILE_DLL) == program:
        problems.append("a DLL where a program is expected, or the other way round")
    if program and not pe.characteristics & FILE_LARGE_ADDRESS_AWARE:
        problems.append("not large-address-aware")
    for flag, what in ((DLL_DYNAMIC_BASE, "ASLR (DYNAMIC_BASE)"), (DLL_NX_COMPAT, "DEP (NX_COMPAT)")):
        if not pe.dll_characteristics & flag:
            problems.append("without " + what)
    arch = manifest_architecture(pe)
    if arch is not None and arch not in ("x86", "*"):
        problems.append("its manifest names processor '%s'" % arch)
    foreign = [dll for dll in pe.imports() if dll not in SYSTEM_DLLS and dll not in own_dlls]
    if foreign:
        problems.append("imports " + ", ".join(foreign))
    actual = pe.exports()
    for name, ordinal in exports.items():
        if actual.get(name) != ordinal:
            problems.append("exports %s at ordinal %s, not %d" % (name, actual.get(name), ordinal))
    return problems


def payload(setup, folder):
    """The files the setup installs, unpacked into folder by 7-Zip, which reads NSIS setups."""
    subprocess.run(["7z", "x", "-y", "-o" + folder, setup], check=True, stdout=subprocess.DEVNULL)
    files = {}
    for base, _, names in os.walk(folder):
        for name in names:
            files[os.path.relpath(os.path.join(base, name), folder)] = os.path.join(base, name)
    return files


def main():
    bin_dir, setup = sys.argv[1], sys.argv[2]
    failures = []
    for name, (program, own, exports) in SHIPPED.items():
        failures += ["%s: %s" % (name, p) for p in check(os.path.join(bin_dir, name), program, own, exports)]

    # The setup itself, its uninstaller and its plug-ins run on the user's machine too.
    failures += ["setup: %s" % p for p in check(setup, True, set(), {}) if "large-address" not in p]
    with tempfile.TemporaryDirectory(prefix="quillet-setup-") as folder:
        failures += check_payload(payload(setup, folder))

    for line in failures:
        print(line)
    print("%d problems" % len(failures))
    return 1 if failures else 0


def check_payload(files):
    failures = []
    installed = {n for n in files if os.sep not in n and n != "uninstall.exe"}
    if installed != set(SHIPPED):
        failures.append("setup: installs %s, not %s" % (sorted(installed), sorted(SHIPPED)))
    for name, path in files.items():
        if name in SHIPPED:
            failures += ["setup's %s: %s" % (name, p) for p in check(path, *SHIPPED[name])]
        elif name.lower().endswith((".exe", ".dll")):
            pe = Pe(path)
            if pe.machine != MACHINE_I386:
                failures.append("setup's %s: not i386 (machine %#x)" % (name, pe.machine))
    return failures


if __name__ == "__main__":
    sys.exit(main())
