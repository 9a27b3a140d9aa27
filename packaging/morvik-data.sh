# Shell functions for the practice's data in Morvik's program folder, shared by postinst and
# postrm and run by tests/packaging on a temporary root. ROOT prefixes every path: empty on a
# real system, $DPKG_ROOT when dpkg installs into another root, a temporary folder in the test.

# morvik_setup_data ROOT GROUP: makes the program folder ready for the members of GROUP.
# Copies each template that is missing and never changes the content of a file that is there,
# so an upgrade keeps settings, catalogue, counter and log byte for byte.
morvik_setup_data() {
    dir="$1/opt/morvik"
    mkdir -p "$dir/Logs"
    for name in Settings.ini Bodypart.mdb; do
        # A link, even a broken one, is the admin's choice, not a missing file.
        if [ ! -e "$dir/$name" ] && [ ! -L "$dir/$name" ]; then
            cp "$1/usr/share/morvik/$name" "$dir/$name.dpkg-new"
            mv "$dir/$name.dpkg-new" "$dir/$name"
        fi
    done
    # A new counter only where there is no counter at all (no AccNum.dat and no AccNum.lck): the
    # next number is then 0000001, and an order needs no new file in the program folder. A lock
    # file without a counter is a counter that was lost; it keeps stopping orders, as it should.
    if [ ! -e "$dir/AccNum.dat" ] && [ ! -L "$dir/AccNum.dat" ] && [ ! -e "$dir/AccNum.lck" ] &&
        [ ! -L "$dir/AccNum.lck" ]; then
        printf '0000000' >"$dir/AccNum.dat"
    fi
    # Every user opens the log and the counter's lock for writing. Made here, they belong to the
    # group from the start instead of to whoever happened to write first.
    for name in Logs/ErrorLog.log AccNum.lck; do
        if [ ! -e "$dir/$name" ] && [ ! -L "$dir/$name" ]; then
            : >"$dir/$name"
        fi
    done
    # The folders take new files (settings and counter are replaced by rename, SQLite puts its
    # journal beside the catalogue); setgid hands the group on to them.
    for folder in "$dir" "$dir/Logs"; do
        if [ ! -L "$folder" ]; then
            chgrp "$2" "$folder"
            chmod 2775 "$folder"
        fi
    done
    for name in Settings.ini Bodypart.mdb AccNum.dat AccNum.lck Logs/ErrorLog.log; do
        # Links stay as they are: they may lead to a file shared with another installation.
        if [ -f "$dir/$name" ] && [ ! -L "$dir/$name" ]; then
            chgrp "$2" "$dir/$name"
            chmod g+rw "$dir/$name"
        fi
    done
}

# morvik_purge_data ROOT: removes the practice's data from the program folder, except the
# accession counter. A number issued twice is worse than a file left behind, so AccNum.dat and
# its lock go only by the admin's hand; the folder goes when nothing else is left in it.
morvik_purge_data() {
    dir="$1/opt/morvik"
    [ -d "$dir" ] || return 0
    rm -f "$dir/Settings.ini" "$dir/Bodypart.mdb" "$dir"/Bodypart.mdb-* "$dir"/~*.tmp
    rm -rf "$dir/Logs"
    # An empty lock beside no counter, or beside the new counter postinst made: no number was
    # ever issued.
    if [ ! -s "$dir/AccNum.lck" ] && [ ! -L "$dir/AccNum.dat" ] &&
        { [ ! -e "$dir/AccNum.dat" ] || [ "$(cat "$dir/AccNum.dat")" = 0000000 ]; }; then
        rm -f "$dir/AccNum.dat" "$dir/AccNum.lck"
    fi
    if rmdir "$dir" 2>/dev/null; then
        return 0
    fi
    echo "morvik: kept $dir with the accession counter (AccNum.dat, AccNum.lck)." >&2
    echo "morvik: delete it by hand only when its numbers will never be continued." >&2
}
