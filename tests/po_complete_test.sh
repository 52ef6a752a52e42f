#!/bin/sh
# Every text the program marks with tr() has an English translation in po/en.po: the texts are
# taken from the sources with xgettext and compared with msgcmp.
set -eu
source_dir=$1
work=$2
mkdir -p "$work"
cd "$source_dir"
xgettext --keyword=tr --from-code=UTF-8 --language=C++ --no-location --no-wrap \
    -o "$work/orvanta.pot" app/*.cpp game/*.cpp players/*.cpp board/*.cpp platform/*.cpp
msgcmp po/en.po "$work/orvanta.pot"
# And no translation is left empty.
if msgfmt --check --statistics -o /dev/null po/en.po 2>&1 | grep -q 'untranslated'; then
    echo "po/en.po leaves texts untranslated" >&2
    exit 1
fi
