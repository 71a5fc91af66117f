#!/bin/sh
# Installs Korvale as `make install` or the Debian package would and checks what lands:
# exactly the program, its menu entry, the file managers' entries, icons, metadata and
# manual page, with the menu entry and metadata passing their validators, and the menu
# entry not taking over the opening of folders.
#   check_installed.sh install SOURCE_DIR BUILD_DIR VERSION
#   check_installed.sh package SOURCE_DIR BUILD_DIR VERSION   (skips, 77, without dpkg-dev)
set -eu
mode=$1 source=$2 build=$3 version=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
id=example.korvale.Korvale

expected_files() {
    prefix=$1 manual=$2
    echo "$prefix/bin/korvale"
    echo "$prefix/share/applications/$id.desktop"
    echo "$prefix/share/kio/servicemenus/korvale-dateiliste.desktop"
    echo "$prefix/share/nemo/actions/korvale-dateiliste.nemo_action"
    echo "$prefix/share/file-manager/actions/korvale-dateiliste.desktop"
    echo "$prefix/share/metainfo/$id.metainfo.xml"
    echo "$prefix/share/man/man1/$manual"
    for size in 16 22 24 32 48 64 128 256; do
        echo "$prefix/share/icons/hicolor/${size}x$size/apps/$id.png"
    done
    if [ -f "$source/resources/korvale.svg" ]; then
        echo "$prefix/share/icons/hicolor/scalable/apps/$id.svg"
    fi
}

fail() { echo "FAIL: $*" >&2; exit 1; }

# Each line given stands in the file as it is.
has_lines() {
    file=$1
    shift
    for line in "$@"; do
        grep -qxF -- "$line" "$file" || fail "$file lacks the line $line"
    done
}

# What the desktop opens a folder with, for a session that sees only the data folder given.
folder_opener() {
    env -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION -u KDE_FULL_SESSION -u GNOME_DESKTOP_SESSION_ID \
        XDG_DATA_HOME="$work/xdg/data" XDG_CONFIG_HOME="$work/xdg/config" XDG_CONFIG_DIRS="$work/xdg/etc" \
        XDG_DATA_DIRS="$1" xdg-mime query default inode/directory
}

case $mode in
install)
    DESTDIR="$work/root" cmake --install "$build" --prefix /usr/local >/dev/null
    (cd "$work/root" && find . ! -type d | sed 's|^\.||' | sort) > "$work/found"
    expected_files /usr/local korvale.1 | sort > "$work/expected"
    diff -u "$work/expected" "$work/found" || fail "the install tree differs"
    desktop-file-validate "$work/root/usr/local/share/applications/$id.desktop" || fail "desktop entry"
    appstreamcli validate --no-net "$work/root/usr/local/share/metainfo/$id.metainfo.xml" >/dev/null \
        || fail "AppStream metadata"
    grep -qx 'StartupWMClass=Korvale' "$work/root/usr/local/share/applications/$id.desktop" || fail "window class"
    grep -q "<release version=\"$version\"" "$work/root/usr/local/share/metainfo/$id.metainfo.xml" || fail "release"

    # The file managers' entries, each with the keys its file manager reads.
    share="$work/root/usr/local/share"
    label='Name=Dateiliste erstellen (Korvale)'
    has_lines "$share/applications/$id.desktop" 'Exec=korvale %f'
    ! grep -q '^MimeType=' "$share/applications/$id.desktop" || fail "the menu entry claims a file type"
    has_lines "$share/kio/servicemenus/korvale-dateiliste.desktop" '[Desktop Entry]' 'Type=Service' \
        'MimeType=inode/directory;' 'Actions=dateiliste;' '[Desktop Action dateiliste]' "$label" 'Exec=korvale %f'
    has_lines "$share/nemo/actions/korvale-dateiliste.nemo_action" '[Nemo Action]' "$label" 'Exec=korvale %F' \
        'Quote=double' 'Selection=s' 'Extensions=dir;'
    has_lines "$share/file-manager/actions/korvale-dateiliste.desktop" '[Desktop Entry]' 'Type=Action' "$label" \
        'Profiles=ordner;' '[X-Action-Profile ordner]' 'MimeTypes=inode/directory;' 'SelectionCount==1' \
        'Exec=korvale %f'

    # Installed, Korvale is not what opens a folder: the same answer before and after. An
    # entry that does claim folders is seen, so the question is asked where it counts.
    mkdir -p "$work/empty" "$work/claim/applications"
    before=$(folder_opener "$work/empty")
    update-desktop-database "$share/applications"
    after=$(folder_opener "$share")
    [ "$after" = "$before" ] || fail "after the install folders open with $after, before with $before"
    sed 's/^Exec=.*/&\nMimeType=inode\/directory;/' "$share/applications/$id.desktop" \
        > "$work/claim/applications/claim.desktop"
    update-desktop-database "$work/claim/applications"
    [ "$(folder_opener "$work/claim")" = claim.desktop ] || fail "xdg-mime does not see an entry that claims folders"

    # make install and make uninstall into ~/.local, whose share folder was there before:
    # twice installed, once removed, exactly the folders from before are left, and a file
    # someone else put into a folder the install made keeps that folder.
    home="$work/home"
    mkdir -p "$home/.local/share"
    tree() { (cd "$home" && find . | sort); }
    tree > "$work/before"
    for round in 1 2; do
        sh "$source/desktop/installtree.sh" install "$build" "$home/.local" "$work/record" >/dev/null
    done
    [ -x "$home/.local/bin/korvale" ] || fail "make install wrote no program"
    sh "$source/desktop/installtree.sh" uninstall "$work/record" >/dev/null
    tree | diff -u "$work/before" - || fail "make uninstall left something behind"
    sh "$source/desktop/installtree.sh" install "$build" "$home/.local" "$work/record" >/dev/null
    : > "$home/.local/share/applications/other.desktop"
    sh "$source/desktop/installtree.sh" uninstall "$work/record" >/dev/null
    [ "$(cd "$home" && find .local -mindepth 2 | sort | tr '\n' ' ')" = \
      ".local/share/applications .local/share/applications/other.desktop " ] || fail "make uninstall took a folder in use"
    # Under DESTDIR the record names the staged files, never those of the running system.
    DESTDIR="$work/stage" sh "$source/desktop/installtree.sh" install "$build" /usr "$work/staged" >/dev/null
    sh "$source/desktop/installtree.sh" uninstall "$work/staged" >/dev/null
    [ -z "$(find "$work/stage" ! -type d)" ] || fail "make uninstall left a DESTDIR install behind"
    ;;
package)
    command -v dpkg-deb >/dev/null && command -v dpkg-shlibdeps >/dev/null || exit 77
    cpack --config "$build/CPackConfig.cmake" -B "$work" >/dev/null 2>&1 || fail "cpack"
    deb="$work/korvale_$version-1_$(dpkg --print-architecture).deb"
    [ -f "$deb" ] || fail "no $deb"
    dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\.||' | sort > "$work/found"
    { expected_files /usr korvale.1.gz
      echo /usr/share/doc/korvale/changelog.Debian.gz
      echo /usr/share/doc/korvale/copyright
      echo /usr/share/lintian/overrides/korvale; } | sort > "$work/expected"
    diff -u "$work/expected" "$work/found" || fail "the package's files differ"
    depends=$(dpkg-deb -f "$deb" Depends)
    for library in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6; do
        echo "$depends" | grep -q "\\b$library (" || fail "Depends lacks $library: $depends"
    done
    [ "$(dpkg-deb -f "$deb" Version)" = "$version-1" ] || fail "version"
    ;;
*)
    fail "unknown mode $mode"
    ;;
esac
echo "ok: $mode"
