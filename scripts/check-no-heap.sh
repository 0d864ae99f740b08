#!/bin/bash
# The tool's own objects reference no allocation function.
# Usage: scripts/check-no-heap.sh BUILD_DIR [NM]
set -euo pipefail
build=$1
nm=${2:-nm}
objects=$(find "$build/CMakeFiles/haadm_core.dir" -name '*.o' | sort)
[ -n "$objects" ] || { echo "no objects of the tool in $build" >&2; exit 1; }
# operator new and new[] (any size_t width), the C allocators, and strdup.
pattern='^(_Znw[jm]|_Zna[jm]|_Znw[jm]St11align_val_t|_Zna[jm]St11align_val_t|_Znw[jm]RKSt9nothrow_t|malloc|calloc|realloc|reallocarray|strdup|strndup|aligned_alloc|posix_memalign|memalign|valloc)$'
found=0
for o in $objects; do
    hits=$("$nm" -u "$o" | awk '{print $NF}' | sed 's/@.*//' | grep -E "$pattern" || true)
    if [ -n "$hits" ]; then
        echo "${o#"$build"/}: $(echo $hits)"
        found=1
    fi
done
count=$(echo "$objects" | wc -l)
if [ $found -ne 0 ]; then
    echo "allocation functions referenced by the tool's own code" >&2
    exit 1
fi
echo "no allocation function referenced by $count objects of the tool"
