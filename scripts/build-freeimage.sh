#!/usr/bin/env bash
# Builds the image library for the Win32 tests: FreeImage.dll cross-compiled
# from Debian's source packages of FreeImage, zlib and libpng (fetched
# through a private deb-src list; the system's apt configuration is not
# touched). Debian's FreeImage source carries no codec libraries of its own,
# so formats whose codec lives elsewhere (JPEG, TIFF, JPEG 2000, EXR, RAW,
# WebP, JPEG XR) are registered under their usual numbers but can neither
# be read nor written. Usage: build-freeimage.sh OUTPUT_DIR. Does nothing
# when OUTPUT_DIR already holds the library.
set -euo pipefail
out=${1:?usage: build-freeimage.sh OUTPUT_DIR}
[ -f "$out/FreeImage.dll" ] && exit 0
jobs=${VR_JOBS:-2}
CC=i686-w64-mingw32-gcc
CXX=i686-w64-mingw32-g++

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/lists/partial"
cat > "$work/src.sources" <<'LIST'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
LIST
apt_src=(-o Dir::Etc::SourceList="$work/src.sources" -o Dir::Etc::SourceParts=/dev/null
         -o Dir::State::Lists="$work/lists")
apt-get -qq "${apt_src[@]}" update
(cd "$work" && apt-get -qq "${apt_src[@]}" source --download-only freeimage/bookworm zlib/bookworm \
    libpng1.6/bookworm >/dev/null 2>&1)
for pkg in freeimage zlib libpng1.6; do
    tarball=$(ls "$work"/${pkg}_*.orig.tar.* | head -n1)
    mkdir "$work/$pkg"
    tar -xf "$tarball" -C "$work/$pkg" --strip-components=1
done

fi=$work/freeimage/Source
# FreeImage includes its codecs from folders beside its own.
ln -s "$work/zlib" "$fi/ZLib"
ln -s "$work/libpng1.6" "$fi/LibPNG"
cp "$work/libpng1.6/scripts/pnglibconf.h.prebuilt" "$work/libpng1.6/pnglibconf.h"

# Plug-ins whose codec library is not in the sources: the format keeps its
# number, name and extensions, and has no reader or writer.
missing="JPEG TIFF G3 EXR J2K JP2 RAW WebP JXR"
stub=$work/missing_codecs.cpp
{
    echo '#include "FreeImage.h"'
    echo '#include "Utilities.h"'
    echo '#include "Plugin.h"'
    while read -r name format description extensions; do
        cat <<C
static const char *DLL_CALLCONV ${name}Format() { return "$format"; }
static const char *DLL_CALLCONV ${name}Description() { return "$description (no codec)"; }
static const char *DLL_CALLCONV ${name}Extensions() { return "$extensions"; }
void DLL_CALLCONV Init${name}(Plugin *plugin, int) {
    plugin->format_proc = ${name}Format;
    plugin->description_proc = ${name}Description;
    plugin->extension_proc = ${name}Extensions;
}
C
    done <<'TABLE'
JPEG JPEG JPEG~-~JFIF~Compliant jpg,jif,jpeg,jpe
TIFF TIFF Tagged~Image~File~Format tif,tiff
G3 G3 Raw~fax~format~CCITT~G.3 g3
EXR EXR ILM~OpenEXR exr
J2K J2K JPEG-2000~codestream j2k,j2c
JP2 JP2 JPEG-2000~File~Format jp2
RAW RAW RAW~camera~image 3fr,arw,bay,bmq,cap,cine,cr2,crw,cs1,dc2,dcr,drf,dsc,dng,erf,fff,ia,iiq,k25,kc2,kdc,mdc,mef,mos,mrw,nef,nrw,orf,pef,ptx,pxn,qtk,raf,raw,rdc,rw2,rwl,rwz,sr2,srf,srw,sti,x3f
WEBP WEBP Google~WebP~image~format webp
JXR JXR JPEG~XR~image~format jxr,wdp,hdp
TABLE
} | sed 's/~/ /g' > "$stub"  # '~' stands for a blank in the table

objects=$work/obj
mkdir -p "$objects"
sources=()
for f in "$work"/zlib/{adler32,compress,crc32,deflate,infback,inffast,inflate,inftrees,trees,uncompr,zutil}.c; do
    sources+=("c:$f")
done
for f in "$work"/libpng1.6/{png,pngerror,pngget,pngmem,pngpread,pngread,pngrio,pngrtran,pngrutil,pngset,pngtrans,pngwio,pngwrite,pngwtran,pngwutil}.c; do
    sources+=("c:$f")
done
skip=" PluginJPEG PluginTIFF PluginG3 PluginEXR PluginJ2K PluginJP2 PluginRAW PluginWebP PluginJXR J2KHelper TIFFLogLuv XTIFF "
for f in "$fi"/FreeImage/*.cpp "$fi"/FreeImage/*.c "$fi"/Metadata/*.cpp "$fi"/FreeImageToolkit/*.cpp "$stub"; do
    base=$(basename "${f%.*}")
    case "$skip" in *" $base "*) continue ;; esac
    sources+=("cxx:$f")
done

cflags=(-O2 -DWIN32 -D_WINDOWS -DFREEIMAGE_EXPORTS -DOPJ_STATIC -DNO_LCMS -DPNG_ARM_NEON_OPT=0
        -I"$fi" -I"$work/zlib" -I"$work/libpng1.6" -w)
compile() {
    local kind=${1%%:*} file=${1#*:}
    local obj=$objects/$(echo "$file" | md5sum | cut -c1-12)_$(basename "${file%.*}").o
    if [ "$kind" = c ]; then
        $CC "${cflags[@]}" -c "$file" -o "$obj"
    else
        $CXX "${cflags[@]}" -std=gnu++11 -fpermissive -c "$file" -o "$obj"
    fi
}
export -f compile
export CC CXX objects
export cflags_string="${cflags[*]}"
printf '%s\n' "${sources[@]}" | xargs -P "$jobs" -I{} bash -c 'cflags=($cflags_string); compile "$1"' _ {}

# The exports the program looks up carry their stdcall decoration with the
# leading underscore that the platform's own compilers give them.
def=$work/FreeImage.def
{
    echo "LIBRARY FreeImage.dll"
    echo "EXPORTS"
    for e in GetFIFCount@0 GetFormatFromFIF@4 GetFIFExtensionList@4 GetFIFDescription@4 GetFIFFromFilename@4 \
             FIFSupportsReading@4 FIFSupportsWriting@4 FIFSupportsExportBPP@8 Unload@4 Load@12 Save@16 \
             GetFileType@8 GetWidth@4 GetHeight@4 GetBits@4 GetInfo@4 Allocate@24 ConvertTo24Bits@4 \
             ConvertTo8Bits@4 Copy@20 GetBPP@4 GetPitch@4 GetVersion@0; do
        echo "    _FreeImage_$e = FreeImage_$e"
        echo "    FreeImage_$e"
    done
} > "$def"
mkdir -p "$out"
$CXX -shared -o "$out/FreeImage.dll.new" "$objects"/*.o "$def" -static-libgcc -static-libstdc++ \
    -Wl,--enable-stdcall-fixup
mv -f "$out/FreeImage.dll.new" "$out/FreeImage.dll"
echo "build-freeimage: $out/FreeImage.dll"
