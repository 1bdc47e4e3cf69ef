#!/usr/bin/env python3
"""Fails when the layer's library exports a name its public headers do not
declare as Windows API: an internal function, the test seam, a stray
template instance. Prints each offender."""
import argparse
import pathlib
import re
import subprocess
import sys

# Declared functions: "<type> WINAPI Name(".
FUNCTION = re.compile(r"\bWINAPI\s+(\w+)\s*\(")
# Declared data: "extern const TYPE Name;" with or without the C linkage and mark.
DATA = re.compile(r'\bextern\s+(?:"C"\s+)?(?:WINLAYER_API\s+)?const\s+\w+\s+(\w+)\s*;')
# The resource table of an executable, the loader's part on Windows.
RESOURCE_BRIDGE = "layer::RegisterResources(layer::ResourceEntry const*, unsigned long)"
# Symbols the static linker itself defines in every shared object.
LINKER = {"_init", "_fini", "__bss_start", "_edata", "_end"}
# AddressSanitizer pairs every exported global with an indicator of this name
# (its one-definition-rule check); it stands or falls with the global itself.
SANITIZER_TWIN = "__odr_asan."
# Instances of the C++ standard library's templates keep the library's own
# default visibility, so that their type information stays one per process.
RUNTIME = re.compile(r"^(?:typeinfo for |typeinfo name for |vtable for |guard variable for )?"
                     r"(?:[\w:<>,()&* ]+ )?std::")


def declared(headers: pathlib.Path) -> set[str]:
    names = set()
    for header in headers.glob("*.h"):
        text = header.read_text()
        names.update(FUNCTION.findall(text))
        names.update(DATA.findall(text))
    return names


def exported(nm: str, library: str) -> list[str]:
    listing = subprocess.run([nm, "-D", "--defined-only", "--format=posix", library], check=True,
                             capture_output=True, text=True).stdout
    return [line.split()[0] for line in listing.splitlines() if line.strip()]


def demangle(nm: str, names: list[str]) -> dict[str, str]:
    mangled = [n for n in names if n.startswith("_Z")]
    if not mangled:
        return {}
    plain = subprocess.run(["c++filt"], input="\n".join(mangled), check=True, capture_output=True,
                           text=True).stdout.splitlines()
    return dict(zip(mangled, plain))


def main() -> int:
    parser = argparse.ArgumentParser()
    parser.add_argument("--nm", default="nm")
    parser.add_argument("--headers", required=True, type=pathlib.Path)
    parser.add_argument("library")
    args = parser.parse_args()

    allowed = declared(args.headers)
    names = exported(args.nm, args.library)
    readable = demangle(args.nm, names)
    stray = [n for n in names
             if n not in allowed and not (n.startswith(SANITIZER_TWIN) and n[len(SANITIZER_TWIN):] in allowed) and n not in LINKER and readable.get(n) != RESOURCE_BRIDGE
             and not RUNTIME.match(readable.get(n, ""))]
    for name in stray:
        print(f"exported but not Windows API: {readable.get(name, name)}")
    if "DirectDrawCreateEx" not in names:
        print("DirectDrawCreateEx is not exported: the API marks are lost")
        return 1
    print(f"{len(names)} exported names, {len(stray)} not Windows API")
    return 1 if stray else 0


if __name__ == "__main__":
    sys.exit(main())
