#!/usr/bin/env python3
"""A stand-in for Debian's package tools, for testing scripts/setup.sh
without touching the machine. Linked under the names apt-get, apt-cache,
dpkg, dpkg-query and sudo into a folder put first on PATH; it acts on the
name it was called by.

APT_STANDIN_STATE names a JSON file holding the machine as the tools see it
and how the registry answers; every call is appended to its "calls":

    installed   {"name" or "name:arch": version}
    foreign     foreign architectures added with dpkg --add-architecture
    offered     {"name": {"amd64": [versions newest first], "i386": [...]}}
    update_fails    apt-get update exits 100 with an index that cannot be
                    fetched, as a registry in the middle of a sync answers
    wine32      "plain": wine32:i386 installs the usual way;
                "pinned": only with -t and the pair named in "pair" pinned
                to one version for both architectures;
                "never": never
    pair        [name, version both architectures have]
"""

import json
import os
import sys

WINE32 = "wine32:i386"
HELD_BROKEN = "E: Unable to correct problems, you have held broken packages."
INDEX_ERROR = ("E: Failed to fetch http://deb.example/debian-security/dists/x-security/main/"
               "binary-i386/Packages.xz  File has unexpected size (374820 != 376004). "
               "Mirror sync in progress?\n"
               "E: Some index files failed to download. They have been ignored, or old ones used "
               "instead.")


def load():
    with open(os.environ["APT_STANDIN_STATE"]) as f:
        return json.load(f)


def save(state):
    with open(os.environ["APT_STANDIN_STATE"], "w") as f:
        json.dump(state, f, indent=1)


def bare(name):
    """The package name without an architecture of this machine's own."""
    return name[:-len(":amd64")] if name.endswith(":amd64") else name


def dpkg_query(state, args):
    # dpkg-query -W -f=FORMAT NAME
    name = bare(args[-1])
    version = state["installed"].get(name)
    if version is None:
        return 1
    fmt = next(a for a in args if a.startswith("-f="))[3:]
    sys.stdout.write(fmt.replace("${Status}", "install ok installed").replace("${Version}", version))
    return 0


def dpkg(state, args):
    if args == ["--print-architecture"]:
        print("amd64")
    elif args == ["--print-foreign-architectures"]:
        for arch in state["foreign"]:
            print(arch)
    elif args[:1] == ["--add-architecture"]:
        state["foreign"].append(args[1])
    else:
        return 2
    return 0


def apt_cache(state, args):
    # apt-cache madison NAME[:ARCH]
    if args[:1] != ["madison"]:
        return 2
    name, _, arch = args[1].partition(":")
    arch = arch or "amd64"
    for version in state["offered"].get(name, {}).get(arch, []):
        print("%s | %s | http://deb.example/debian x/main %s Packages" % (args[1], version, arch))
    return 0


def wine32_refusal(state, release):
    """The resolver's complaint about wine32:i386, or None when it installs."""
    pair_name, pair_version = state.get("pair", ["", ""])
    if state["wine32"] == "plain":
        return None
    if state["wine32"] == "pinned" and release and (
            "%s:i386=%s" % (pair_name, pair_version) in state["last_names"] and
            "%s=%s" % (pair_name, pair_version) in state["last_names"]):
        return None
    lines = [" libwine:i386 : Depends: %s:i386 (>= 1.0.0) but it is not going to be installed"
             % pair_name,
             "                Depends: zlib1g:i386 (>= 1:1.1.4) but it is not going to be installed",
             HELD_BROKEN]
    return "The following packages have unmet dependencies:\n" + "\n".join(lines)


def apt_get(state, args):
    words = [a for a in args if a not in ("-q", "-y", "--no-install-recommends",
                                          "--allow-downgrades")]
    while words[:1] == ["-o"]:
        words = words[2:]
    if words == ["update"]:
        if state.get("update_fails"):
            print(INDEX_ERROR)
            return 100
        return 0
    if words[:1] != ["install"]:
        return 2
    words = words[1:]
    simulate = "-s" in words
    words = [w for w in words if w != "-s"]
    release = None
    if words[:1] == ["-t"]:
        release, words = words[1], words[2:]
    state["last_names"] = words
    if WINE32 in words:
        refusal = wine32_refusal(state, release)
        if refusal:
            print(refusal)
            return 100
    if not simulate:
        for word in words:
            name, _, version = word.partition("=")
            state["installed"][bare(name)] = version or "1.0"
    return 0


def main():
    tool = os.path.basename(sys.argv[0])
    args = sys.argv[1:]
    if tool == "sudo":
        os.execvp(args[0], args)
    state = load()
    state["calls"].append(" ".join([tool] + args))
    handler = {"dpkg-query": dpkg_query, "dpkg": dpkg, "apt-cache": apt_cache,
               "apt-get": apt_get}[tool]
    status = handler(state, args)
    save(state)
    return status


if __name__ == "__main__":
    sys.exit(main())
