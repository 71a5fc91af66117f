#!/bin/sh
# Installs a build of Korvale and removes it again without leaving anything behind, yet
# without touching a folder that was there before (/usr/local/share, ~/.local/bin).
#   installtree.sh install BUILD_DIR PREFIX RECORD   (DESTDIR from the environment, as CMake takes it)
#   installtree.sh uninstall RECORD
# RECORD.files lists the files written, RECORD.folders the folders made, deepest first.
set -eu

install_tree() {
    build=$1 prefix=$2 record=$3
    case $prefix in
    /*) ;;
    *) echo "korvale: PREFIX muss ein absoluter Pfad sein: $prefix" >&2; exit 2 ;;
    esac
    # What an install writes is what a trial install into an empty folder holds; the folders
    # it makes are those of the trial that do not exist yet at the destination.
    trial=$(mktemp -d)
    made=$(mktemp)
    written=$(mktemp)
    trap 'rm -rf "$trial" "$made" "$written"' EXIT
    DESTDIR="$trial" cmake --install "$build" --prefix "$prefix" >/dev/null
    (cd "$trial" && find . -mindepth 1 -type d) | sed 's|^\.||' | while IFS= read -r folder; do
        target="${DESTDIR:-}$folder"
        [ -e "$target" ] || [ -L "$target" ] || printf '%s\n' "$target"
    done > "$made"
    (cd "$trial" && find . ! -type d) | while IFS= read -r file; do
        printf '%s\n' "${DESTDIR:-}${file#.}"
    done > "$written"
    # A second install keeps what the first one wrote and made on the record.
    if [ -f "$record.files" ]; then
        cat "$record.files" >> "$written"
    fi
    if [ -f "$record.folders" ]; then
        cat "$record.folders" >> "$made"
    fi
    cmake --install "$build" --prefix "$prefix"
    LC_ALL=C sort -u "$written" > "$record.files"
    # A folder sorts before everything inside it, so the reverse order is deepest first.
    LC_ALL=C sort -ru "$made" > "$record.folders"
}

uninstall_tree() {
    record=$1
    if [ ! -f "$record.files" ]; then
        echo "korvale: nichts zu entfernen, $record.files fehlt (make install legt es an)." >&2
        exit 1
    fi
    xargs -r -d '\n' rm -fv < "$record.files"
    # Deepest first, and only while empty: whatever someone else put there stays.
    if [ -f "$record.folders" ]; then
        while IFS= read -r folder; do
            if [ -d "$folder" ] && [ ! -L "$folder" ] && rmdir "$folder" 2>/dev/null; then
                echo "removed folder '$folder'"
            fi
        done < "$record.folders"
    fi
    rm -f "$record.files" "$record.folders"
}

case ${1:-} in
install) install_tree "$2" "$3" "$4" ;;
uninstall) uninstall_tree "$2" ;;
*) echo "usage: installtree.sh install BUILD_DIR PREFIX RECORD | uninstall RECORD" >&2; exit 2 ;;
esac
