#!/usr/bin/env python3
"""What the life-cycle test reads out of a Wine prefix and the files the setup writes.

  prefix.py snapshot PREFIX OUT      the files under drive_c and the HKLM/HKCU values, as JSON
  prefix.py changes BEFORE AFTER     one line per difference: "file|hklm|hkcu +|-|~ PATH"
  prefix.py lnk-target FILE.lnk      the local path a shortcut points at
  prefix.py pending-renames SNAPSHOT the files that Windows is to move or delete at the next boot
  prefix.py pe-version FILE.exe      the ProductVersion string of a program's version resource
  prefix.py winget DIR SCHEMAS       checks the manifests in DIR against the schemas in SCHEMAS and
                                     prints what the test compares: one "key value" a line

Read the registry only after "wineserver -w": the server writes the .reg files when it ends.
"""

import json
import os
import re
import struct
import sys

# Wine rewrites the display driver's date each time a GUI process brings the driver up, and at
# times remakes the adapter's key as a registry link (which no setup can write).
NOISE_VALUES = {"DriverDateData", "SymbolicLinkValue"}

VALUE_NAME = re.compile(r'^(@|"(?:[^"\\]|\\.)*")=')


def read_reg(path):
    """Keys (as in the [..] lines) mapped to {value name: the value's text}."""
    keys = {}
    key = None
    pending = ""
    with open(path, encoding="utf-8", errors="surrogateescape") as f:
        for raw in f:
            line = pending + raw.rstrip("\n")
            pending = ""
            if line.endswith("\\") and not line.startswith("["):
                pending = line[:-1]
                continue
            if line.startswith("["):
                key = line[1 : line.rindex("]")]
                keys.setdefault(key, {})
                continue
            match = VALUE_NAME.match(line.lstrip())
            if key is not None and match:
                name = match.group(1)
                if name not in NOISE_VALUES and name.strip('"') not in NOISE_VALUES:
                    keys[key][name] = line.lstrip()[match.end() :]
    return keys


def snapshot(prefix, out):
    files = {}
    drive = os.path.join(prefix, "drive_c")
    for folder, dirs, names in os.walk(drive):
        rel = os.path.relpath(folder, drive)
        if rel != ".":
            files[rel + "/"] = None
        for name in names:
            path = os.path.join(folder, name)
            st = os.lstat(path)
            files[os.path.normpath(os.path.join(rel, name))] = [st.st_size, st.st_mtime_ns]
    state = {
        "files": files,
        "hklm": read_reg(os.path.join(prefix, "system.reg")),
        "hkcu": read_reg(os.path.join(prefix, "user.reg")),
    }
    with open(out, "w", encoding="utf-8", errors="surrogateescape") as f:
        json.dump(state, f)


def changes(before_path, after_path):
    with open(before_path, encoding="utf-8", errors="surrogateescape") as f:
        before = json.load(f)
    with open(after_path, encoding="utf-8", errors="surrogateescape") as f:
        after = json.load(f)
    lines = []
    old, new = before["files"], after["files"]
    for path in sorted(set(old) | set(new)):
        if path not in old:
            lines.append("file + " + path)
        elif path not in new:
            lines.append("file - " + path)
        elif old[path] != new[path]:
            lines.append("file ~ " + path)
    for hive in ("hklm", "hkcu"):
        old, new = before[hive], after[hive]
        for key in sorted(set(old) | set(new)):
            if key not in old:
                lines.append(f"{hive} + {key}")
            elif key not in new:
                lines.append(f"{hive} - {key}")
            values_old, values_new = old.get(key, {}), new.get(key, {})
            for name in sorted(set(values_old) | set(values_new)):
                if values_old.get(name) != values_new.get(name):
                    sign = "+" if name not in values_old else "-" if name not in values_new else "~"
                    lines.append(f"{hive} {sign} {key}\\\\{name}")
    for line in lines:
        print(line)


def pending_renames(snapshot_path):
    """PendingFileRenameOperations (REG_MULTI_SZ), one path a line; an empty target is "-"."""
    with open(snapshot_path, encoding="utf-8", errors="surrogateescape") as f:
        state = json.load(f)
    key = state["hklm"].get("System\\\\CurrentControlSet\\\\Control\\\\Session Manager", {})
    text = key.get('"PendingFileRenameOperations"')
    if text is None:
        return
    if text.startswith("hex(7):"):
        raw = bytes(int(b, 16) for b in text[len("hex(7):") :].replace("\\", "").split(",") if b.strip())
        value = raw.decode("utf-16-le")
    elif text.startswith('str(7):"'):
        value = text[len('str(7):"') : -1].encode().decode("unicode_escape")
    else:
        sys.exit(f"PendingFileRenameOperations: unknown form {text[:20]}")
    items = value.rstrip("\0").split("\0")
    for item in items:
        print(item or "-")


def lnk_target(path):
    """The LinkInfo's local base path and common suffix (MS-SHLLINK 2.3)."""
    data = open(path, "rb").read()
    if len(data) < 0x4C or struct.unpack_from("<I", data, 0)[0] != 0x4C:
        sys.exit(f"{path}: not a shell link")
    flags = struct.unpack_from("<I", data, 0x14)[0]
    offset = 0x4C
    if flags & 0x1:  # HasLinkTargetIDList
        offset += 2 + struct.unpack_from("<H", data, offset)[0]
    if not flags & 0x2:  # HasLinkInfo
        sys.exit(f"{path}: the link has no local target")
    info = offset
    header_size = struct.unpack_from("<I", data, info + 4)[0]
    info_flags = struct.unpack_from("<I", data, info + 8)[0]
    if not info_flags & 0x1:  # VolumeIDAndLocalBasePath
        sys.exit(f"{path}: the link has no local target")
    if header_size >= 0x24:
        base = info + struct.unpack_from("<I", data, info + 0x1C)[0]
        suffix = info + struct.unpack_from("<I", data, info + 0x20)[0]
        text = utf16z(data, base) + utf16z(data, suffix)
    else:
        base = info + struct.unpack_from("<I", data, info + 0x10)[0]
        suffix = info + struct.unpack_from("<I", data, info + 0x18)[0]
        raw = data[base : data.index(b"\0", base)] + data[suffix : data.index(b"\0", suffix)]
        text = raw.decode("cp1252", errors="replace")
    print(text)


def utf16z(data, at):
    """The zero-terminated UTF-16 string at offset at."""
    end = at
    while end + 1 < len(data) and data[end : end + 2] != b"\0\0":
        end += 2
    return data[at:end].decode("utf-16-le")


def pe_version(path):
    data = open(path, "rb").read()
    key = "ProductVersion\0".encode("utf-16-le")
    at = data.find(key)
    if at < 0:
        sys.exit(f"{path}: no ProductVersion in its version resource")
    at += len(key)
    # The value starts on the next 32-bit boundary of the resource; the padding is zero.
    while data[at : at + 2] == b"\0\0":
        at += 2
    print(utf16z(data, at))

def winget(folder, schemas):
    """Exits non-zero unless every manifest is valid and all name one package version."""
    import jsonschema
    import yaml

    kinds = {}
    for name in sorted(os.listdir(folder)):
        with open(os.path.join(folder, name), encoding="utf-8") as f:
            manifest = yaml.safe_load(f)
        kind = manifest.get("ManifestType")
        version = manifest.get("ManifestVersion")
        path = os.path.join(schemas, version, f"manifest.{kind}.{version}.json")
        if not os.path.exists(path):
            sys.exit(f"{name}: no schema for {kind} {version}")
        with open(path, encoding="utf-8") as f:
            schema = json.load(f)
        errors = list(jsonschema.Draft7Validator(schema).iter_errors(manifest))
        for error in errors:
            print(f"{name}: {'/'.join(map(str, error.absolute_path))}: {error.message}", file=sys.stderr)
        if errors:
            sys.exit(1)
        kinds.setdefault(kind, []).append(manifest)
    for kind in ("version", "installer", "defaultLocale"):
        if len(kinds.get(kind, [])) != 1:
            sys.exit(f"{folder}: not exactly one {kind} manifest")
    ids = {(m["PackageIdentifier"], m["PackageVersion"]) for ms in kinds.values() for m in ms}
    if len(ids) != 1:
        sys.exit(f"{folder}: the manifests name different packages: {sorted(ids)}")
    installer = kinds["installer"][0]
    print("version", kinds["version"][0]["PackageVersion"])
    print("product-code", installer.get("ProductCode"))
    for entry in installer["Installers"]:
        print("sha256", entry["InstallerSha256"].upper())
    for entry in installer.get("ExpectedReturnCodes") or []:
        print("return", entry["InstallerReturnCode"], entry["ReturnResponse"])


def main(argv):
    commands = {"snapshot": (snapshot, 2), "changes": (changes, 2), "lnk-target": (lnk_target, 1),
                "pe-version": (pe_version, 1), "pending-renames": (pending_renames, 1),
                "winget": (winget, 2)}
    if len(argv) < 2 or argv[1] not in commands or len(argv) - 2 != commands[argv[1]][1]:
        sys.exit(__doc__)
    command, _ = commands[argv[1]]
    command(*argv[2:])


if __name__ == "__main__":
    main(sys.argv)
