#!/usr/bin/env bash
# Builds the image library for the Win32 tests: FreeImage.dll cross-compiled
# from Debian's source packages of FreeImage (with Debian's own patches, which
# take its codecs from the system's libraries), zlib, libpng, libjpeg-turbo
# and libtiff (fetched through a private deb-src list; the system's apt
# configuration is not touched). Formats whose codec library is not built
# here (JPEG 2000, EXR, RAW, WebP, JPEG XR) are registered under their usual
# numbers but can neither be read nor written. Usage: build-freeimage.sh
# OUTPUT_DIR. Does nothing when OUTPUT_DIR already holds the library.
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
    libpng1.6/bookworm libjpeg-turbo/bookworm tiff/bookworm >/dev/null 2>&1)
for pkg in freeimage zlib libpng1.6 libjpeg-turbo tiff; do
    tarball=$(ls "$work"/${pkg}_*.orig.tar.* | head -n1)
    mkdir "$work/$pkg"
    tar -xf "$tarball" -C "$work/$pkg" --strip-components=1
done
# Debian's patches: the codecs come from the libraries' own headers, and
# the security fixes.
tar -xf "$(ls "$work"/freeimage_*.debian.tar.* | head -n1)" -C "$work/freeimage"
while read -r name; do
    case "$name" in ''|'#'*) continue ;; esac
    patch -d "$work/freeimage" -p1 -s < "$work/freeimage/debian/patches/$name"
done < "$work/freeimage/debian/patches/series"

fi=$work/freeimage/Source
cp "$work/libpng1.6/scripts/pnglibconf.h.prebuilt" "$work/libpng1.6/pnglibconf.h"

# Configuration headers that the libraries' own build would generate.
config=$work/config
mkdir -p "$config/Imath"
sed -e 's/@JPEG_LIB_VERSION@/62/' -e 's/@VERSION@/2.1.5/' -e 's/@LIBJPEG_TURBO_VERSION_NUMBER@/2001005/' \
    -e 's/#cmakedefine C_ARITH_CODING_SUPPORTED/#define C_ARITH_CODING_SUPPORTED/' \
    -e 's/#cmakedefine D_ARITH_CODING_SUPPORTED/#define D_ARITH_CODING_SUPPORTED/' \
    -e 's/#cmakedefine MEM_SRCDST_SUPPORTED/#define MEM_SRCDST_SUPPORTED/' \
    -e 's/#cmakedefine WITH_SIMD/#undef WITH_SIMD/' -e 's/@BITS_IN_JSAMPLE@/8/' \
    "$work/libjpeg-turbo/win/jconfig.h.in" > "$config/jconfig.h"
sed 's/@COPYRIGHT_YEAR@/1991-2022/' "$work/libjpeg-turbo/jversion.h.in" > "$config/jversion.h"
cat > "$config/jconfigint.h" <<'H'
#define BUILD "vantorel"
#define INLINE __inline__
#define THREAD_LOCAL
#define PACKAGE_NAME "libjpeg-turbo"
#define VERSION "2.1.5"
#define SIZEOF_SIZE_T 4
#define HAVE_BUILTIN_CTZL
#define FALLTHROUGH
H
cat > "$config/tiffconf.h" <<'H'
#ifndef _TIFFCONF_
#define _TIFFCONF_
#include <stddef.h>
#include <stdint.h>
#include <inttypes.h>
#define TIFF_INT16_T int16_t
#define TIFF_INT32_T int32_t
#define TIFF_INT64_T int64_t
#define TIFF_INT8_T int8_t
#define TIFF_UINT16_T uint16_t
#define TIFF_UINT32_T uint32_t
#define TIFF_UINT64_T uint64_t
#define TIFF_UINT8_T uint8_t
#define TIFF_SSIZE_T int32_t
#define HAVE_IEEEFP 1
#define HOST_FILLORDER FILLORDER_LSB2MSB
#define HOST_BIGENDIAN 0
#define CCITT_SUPPORT 1
#define JPEG_SUPPORT 1
#define LOGLUV_SUPPORT 1
#define LZW_SUPPORT 1
#define NEXT_SUPPORT 1
#define PACKBITS_SUPPORT 1
#define PIXARLOG_SUPPORT 1
#define THUNDER_SUPPORT 1
#define ZIP_SUPPORT 1
#define STRIPCHOP_DEFAULT TIFF_STRIPCHOP
#define SUBIFD_SUPPORT 1
#define DEFAULT_EXTRASAMPLE_AS_ALPHA 1
#define CHECK_JPEG_YCBCR_SUBSAMPLING 1
#define MDI_SUPPORT 1
#define COLORIMETRY_SUPPORT
#define YCBCR_SUPPORT
#define CMYK_SUPPORT
#define ICC_SUPPORT
#define PHOTOSHOP_SUPPORT
#define IPTC_SUPPORT
#endif
H
cat > "$config/tif_config.h" <<'H'
#include "tiffconf.h"
#define CHUNKY_STRIP_READ_SUPPORT 1
#define DEFER_STRILE_LOAD 1
#define HAVE_ASSERT_H 1
#define HAVE_FCNTL_H 1
#define HAVE_IO_H 1
#define HAVE_SETMODE 1
#define HAVE_SYS_TYPES_H 1
#define HAVE_UNISTD_H 1
#define PACKAGE "tiff"
#define PACKAGE_NAME "LibTIFF Software"
#define PACKAGE_VERSION "4.5.0"
#define SIZEOF_SIZE_T 4
#define STRIP_SIZE_DEFAULT 8192
#define TIFF_MAX_DIR_COUNT 1048576
#define VERSION "4.5.0"
#define TIFF_SSIZE_FORMAT PRId32
#define TIFF_SIZE_FORMAT PRIu32
H
# The one use of the half-float type: 16-bit floats of a TIFF read as float.
cat > "$config/Imath/half.h" <<'H'
#pragma once
#include <string.h>
class half {
public:
    void setBits(unsigned short bits) { bits_ = bits; }
    operator float() const {
        unsigned sign = (bits_ >> 15) & 1u, exponent = (bits_ >> 10) & 0x1Fu, mantissa = bits_ & 0x3FFu, out;
        if (exponent == 0) {
            if (mantissa == 0) out = sign << 31;
            else {
                exponent = 127 - 15 + 1;
                while (!(mantissa & 0x400u)) { mantissa <<= 1; --exponent; }
                out = (sign << 31) | (exponent << 23) | ((mantissa & 0x3FFu) << 13);
            }
        } else if (exponent == 31) out = (sign << 31) | 0x7F800000u | (mantissa << 13);
        else out = (sign << 31) | ((exponent + 127 - 15) << 23) | (mantissa << 13);
        float f;
        memcpy(&f, &out, 4);
        return f;
    }
private:
    unsigned short bits_ = 0;
};
H

# Plug-ins whose codec library is not in the sources: the format keeps its
# number, name and extensions, and has no reader or writer.
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
for f in "$work"/libjpeg-turbo/{jcapimin,jcapistd,jccoefct,jccolor,jcdctmgr,jchuff,jcicc,jcinit,jcmainct,jcmarker,jcmaster,jcomapi,jcparam,jcphuff,jcprepct,jcsample,jctrans,jdapimin,jdapistd,jdatadst,jdatasrc,jdcoefct,jdcolor,jddctmgr,jdhuff,jdicc,jdinput,jdmainct,jdmarker,jdmaster,jdmerge,jdphuff,jdpostct,jdsample,jdtrans,jerror,jfdctflt,jfdctfst,jfdctint,jidctflt,jidctfst,jidctint,jidctred,jquant1,jquant2,jutils,jmemmgr,jmemnobs,jaricom,jcarith,jdarith,jsimd_none}.c; do
    sources+=("c:$f")
done
# FreeImage brings the system layer of libtiff (files through its own I/O).
for f in "$work"/tiff/libtiff/tif_{aux,close,codec,color,compress,dir,dirinfo,dirread,dirwrite,dumpmode,error,extension,fax3,fax3sm,flush,getimage,hash_set,jpeg,luv,lzw,next,ojpeg,open,packbits,pixarlog,predict,print,read,strip,swab,thunder,tile,version,warning,write,zip}.c; do
    sources+=("c:$f")
done
skip=" PluginEXR PluginJ2K PluginJP2 PluginRAW PluginWebP PluginJXR J2KHelper JPEGTransform "
for f in "$fi"/FreeImage/*.cpp "$fi"/FreeImage/*.c "$fi"/Metadata/*.cpp "$fi"/FreeImageToolkit/*.cpp "$stub"; do
    base=$(basename "${f%.*}")
    case "$skip" in *" $base "*) continue ;; esac
    sources+=("cxx:$f")
done

cflags=(-O2 -DWIN32 -D_WINDOWS -DFREEIMAGE_EXPORTS -DOPJ_STATIC -DNO_LCMS -DPNG_ARM_NEON_OPT=0
        -I"$config" -I"$fi" -I"$work/zlib" -I"$work/libpng1.6" -I"$work/libjpeg-turbo" -I"$work/tiff/libtiff" -w)
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
