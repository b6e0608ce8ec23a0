#!/usr/bin/env python3
"""Builds the Debian package from the build folder with cpack (into a temporary folder) and
checks it: the files a user and a desktop need are in it, nothing of the tests or the OCI
emulator is, the dependencies were computed, the desktop entry is valid, and lintian finds
no error. Usage: debian_package_test.py BUILD_DIR"""
import pathlib
import shutil
import subprocess
import sys
import tempfile


def run(command, **options):
    return subprocess.run(command, capture_output=True, text=True, **options)


def main():
    build = pathlib.Path(sys.argv[1]).resolve()
    problems = []
    with tempfile.TemporaryDirectory(prefix="sprandel-package-") as scratch:
        scratch = pathlib.Path(scratch)
        made = run(["cpack", "--config", str(build / "CPackConfig.cmake"), "-G", "DEB", "-B", str(scratch)])
        packages = sorted(scratch.glob("*.deb"))
        if made.returncode != 0 or len(packages) != 1:
            print(made.stdout, made.stderr)
            print(f"cpack ended with {made.returncode} and made {len(packages)} packages")
            return 1
        package = packages[0]

        listing = run(["dpkg-deb", "--contents", str(package)]).stdout
        files = {line.split()[-1].lstrip(".") for line in listing.splitlines() if not line.startswith("d")}
        needed = {
            "/usr/bin/sprandel", "/usr/bin/sprandel-cli",
            "/usr/share/sprandel/help/index.html", "/usr/share/sprandel/help/help.css",
            "/usr/share/applications/sprandel.desktop", "/usr/share/mime/packages/sprandel.xml",
            "/usr/share/man/man1/sprandel.1.gz", "/usr/share/man/man1/sprandel-cli.1.gz",
            "/usr/share/doc/sprandel/copyright", "/usr/share/doc/sprandel/changelog.Debian.gz",
        }
        needed |= {f"/usr/share/sprandel/help/{topic}.html" for topic in (1010, 1011, 1012, 1014, 1015, 1025)}
        needed |= {f"/usr/share/icons/hicolor/{size}x{size}/apps/sprandel.png" for size in (16, 32, 48, 64, 128, 256)}
        for missing in sorted(needed - files):
            problems.append(f"not in the package: {missing}")
        for name in sorted(files):
            if not name.startswith("/usr/") or "ociemu" in name or "test" in name or "libclntsh" in name:
                problems.append(f"does not belong in the package: {name}")

        depends = run(["dpkg-deb", "--field", str(package), "Depends"]).stdout
        for library in ("libc6", "libqt6widgets6", "libminizip1"):
            if library not in depends:
                problems.append(f"Depends lacks {library}: {depends.strip()}")
        description = run(["dpkg-deb", "--field", str(package), "Description"]).stdout
        if "oracle-instantclient-basic" not in description or "LD_LIBRARY_PATH" not in description:
            problems.append("the description does not say where the Oracle client comes from")

        unpacked = scratch / "root"
        run(["dpkg-deb", "--extract", str(package), str(unpacked)])
        desktop = run(["desktop-file-validate", str(unpacked / "usr/share/applications/sprandel.desktop")])
        if desktop.returncode != 0 or desktop.stdout.strip():
            problems.append("desktop-file-validate: " + desktop.stdout + desktop.stderr)
        entry = (unpacked / "usr/share/applications/sprandel.desktop").read_text(encoding="utf-8")
        for line in ("Exec=sprandel %f", "MimeType=application/x-sprandel-profile;"):
            if line not in entry.splitlines():
                problems.append(f"the desktop entry lacks {line}")

        if shutil.which("lintian"):
            # as root lintian wants to be told that this is intended
            lint = run(["lintian", "--allow-root", "--tag-display-limit", "0", str(package)])
            errors = [line for line in lint.stdout.splitlines() if line.startswith("E:")]
            problems += [f"lintian: {line}" for line in errors]
            if lint.returncode not in (0, 1) and not errors:
                problems.append("lintian did not run: " + lint.stderr)
        else:
            problems.append("lintian is not installed (scripts/install-deps.sh installs it)")

    for problem in problems:
        print(problem)
    print(f"{package.name}: {len(files)} files, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
