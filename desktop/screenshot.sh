#!/bin/sh
# Makes the README's picture of Korvale's window after one run over a small sample folder,
# on a virtual display with a window manager, so the frame shows as on a desktop.
#   screenshot.sh PROGRAM OUTPUT.png      (needs xvfb, xauth, xdotool, imagemagick, openbox)
# Drive C: follows $HOME, and the picture should show a plain one (/home/anna): a tmpfs
# over /home, seen only inside a mount namespace of the script's own, holds it, so neither
# the real /home nor the user's own home folder is ever touched.
set -eu
program=$(readlink -f "$1")
output=$(readlink -f "$(dirname "$2")")/$(basename "$2")
work=$(mktemp -d "${TMPDIR:-/tmp}/korvale-XXXXXX")
trap 'rm -rf "$work"' EXIT

cat > "$work/home.sh" <<'HOME'
set -eu
mount -t tmpfs -o mode=0755 korvale-screenshot /home
home=/home/anna
sample="$home/Korvale-Beispiel"
for file in Garten/Beete.txt Garten/Pflanzplan.pdf Garten/Fotos/Fruehling.jpg Garten/Fotos/Sommer.jpg \
            Haus/Rechnungen/Heizung-2024.pdf Haus/Rechnungen/Strom-2024.pdf Haus/Umbau.txt Notizen.txt; do
    mkdir -p "$sample/$(dirname "$file")"
    : > "$sample/$file"
done
mkdir -p "$home/.config/Korvale"
cat > "$home/.config/Korvale/Korvale.ini" <<'INI'
[Optionen]
Dir1=C:\\Korvale-Beispiel
Dir2=C:\\Korvale-Beispiel
Dir3=C:\\Korvale-Beispiel
Text1.text=Liste.txt
INI
cd "$home"
HOME="$home" LC_ALL=C.UTF-8 xvfb-run -a -s '-screen 0 1024x768x24' sh "$WORK/session.sh"
HOME

cat > "$work/session.sh" <<'SESSION'
set -eu
openbox >/dev/null 2>&1 &
sleep 1
"$PROGRAM" 2>/dev/null &
window=$(xdotool search --sync --onlyvisible --class Korvale | head -n 1)
sleep 1
# The middle of "Korvale generieren", in the window's own pixels.
xdotool mousemove --window "$window" 134 30 click 1
sleep 1
xdotool mousemove 0 0
sleep 0.5
import -window root "$SHOT"
kill %2 %1 2>/dev/null || true
SESSION

# Root may make a mount namespace as it is; anyone else gets one inside a user namespace.
if [ "$(id -u)" = 0 ]; then
    isolate="unshare --mount"
else
    isolate="unshare --mount --map-root-user"
fi
WORK="$work" PROGRAM="$program" SHOT="$work/root.png" $isolate sh "$work/home.sh"
# Only the window and its frame: the rest of the virtual screen is black.
convert "$work/root.png" -trim +repage "$output"
echo "wrote $output"
