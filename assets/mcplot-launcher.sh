#!/bin/sh
# Starts the program in its own folder: it opens its pictures and documents
# by bare name from the current directory.
dir=$(dirname "$(readlink -f "$0")")/../lib/mcplot
cd "$dir" || exit 1
exec ./mcplot "$@"
