// SPDX-License-Identifier: GPL-3.0-or-later
/*
 * libunzip32.so: Quillmere's own stand-in for the Info-ZIP UnZip DLL (Unzip32.dll), built on
 * libzip. C entry points with the records and callbacks of the DLL's published interface,
 * in the DLL's field order, at the native pointer width of the platform.
 *
 * ---------------------------------------------------------------------------------------------
 * Record layouts on LP64 Linux (x86-64, aarch64); checked by static_assert in unzip32.cpp.
 *
 *   DCL (80 bytes)                          USERFUNCTIONS (88 bytes)
 *     0 ExtractOnlyNewer   int                0 print                   pointer
 *     4 SpaceToUnderscore  int                8 sound                   pointer (never called)
 *     8 PromptToOverwrite  int               16 replace                 pointer
 *    12 fQuiet             int               24 password                pointer
 *    16 ncflag             int (ignored)     32 SendApplicationMessage  pointer
 *    20 ntflag             int               40 ServCallBk              pointer
 *    24 nvflag             int               48 TotalSizeComp           unsigned long
 *    28 nfflag             int (ignored)     56 TotalSize               unsigned long
 *    32 nzflag             int (ignored)     64 CompFactor              unsigned long
 *    36 ndflag             int               72 NumMembers              unsigned long
 *    40 noflag             int               80 cchComment              unsigned short
 *    44 naflag             int               (6 bytes tail padding)
 *    48 nZIflag            int (ignored)
 *    52 C_flag             int             UzpVer2 (64 bytes, no pointers, same on every platform)
 *    56 fPrivilege         int (ignored)      0 structlen (uint32)   4 flag (uint32)
 *    (4 bytes padding)                        8 betalevel[10]       18 date[20]
 *    64 lpszZipFN          const char *      38 zlib_version[10]   (2 bytes padding)
 *    72 lpszExtractDir     const char *      48 fEncryption (int)  52 unzip  56 zipinfo  60 windll
 *
 * A _version_type is four bytes: major, minor, patchlevel, not_used. The three records hold the
 * same version: this library's (windll), which is the one callers read.
 *
 * Texts are NUL-terminated bytes in the locale's encoding (UTF-8 on every supported system);
 * entry names are handed over as libzip decodes them (UTF-8, CP437 names converted).
 *
 * ---------------------------------------------------------------------------------------------
 * Wiz_SingleEntryUnzip(ifnc, ifnv, xfnc, xfnv, lpDCL, lpUserFunctions)
 *   ifnc/ifnv: include names (count, array); ifnc <= 0 or an empty first name means every entry.
 *   xfnc/xfnv: exclude names. Names are matched against the whole entry path with the wildcards
 *   '*' and '?' ('*' crosses '/'); '\' makes the next character literal, as in Info-ZIP on Unix
 *   ("a\?c" matches only "a?c", "a\\c" only "a\c"; a '\' at the end stands for itself). '[' is
 *   an ordinary character. C_flag = 1 matches case-insensitively (Info-ZIP -C). The array is read
 *   up to the count or to the first empty text or null slot, whichever comes first; there is no
 *   1023-name limit.
 *   nvflag = 1: list. Every central-directory entry (include/exclude lists applied), in
 *     directory order, reaches SendApplicationMessage on the calling thread. Folder entries are
 *     listed too (their path ends with '/'). Nothing else is printed unless something fails.
 *   In every mode an entry whose data the directory places outside the archive (its compressed
 *   size and local header do not fit before the central directory) is reported through print
 *   and makes the code PK_BADERR; a listing still passes it on, testing and extraction skip it.
 *   ntflag = 1 (nvflag = 0): test. Every selected entry is decompressed and its CRC checked;
 *     nothing is written to disk.
 *   otherwise: extract into lpszExtractDir (created when missing; a null or empty pointer means
 *     the current folder). See "Extraction" below.
 *   ServCallBk is called once per selected entry before it is tested or extracted (not while
 *   listing) with the entry path and the size in bytes of that text including its NUL; a
 *   non-zero answer stops the run (code 80).
 *
 * Extraction (sound behaviour, deliberately stricter than Info-ZIP):
 *   - An entry whose path is absolute ("/x", "C:x"), or that has a ".." component (with '/' or
 *     '\' as separator) is refused and reported through print; nothing is written for it.
 *   - Symbolic-link entries are not created (reported and skipped); no folder component or
 *     existing file under the extraction folder that is a symbolic link is followed.
 *   - An existing file is replaced only when noflag = 1, or when ExtractOnlyNewer = 1 and the
 *     entry is newer, or when PromptToOverwrite = 1 and the replace callback answers
 *     IDM_REPLACE_YES / IDM_REPLACE_ALL. Otherwise it is kept (reported at fQuiet 0).
 *   - Data goes to a temporary file in the deepest folder of the target's path that exists and
 *     is renamed into place only after the CRC has been verified; the missing folders are made
 *     just before that rename. A failed entry leaves neither a partial file nor empty folders.
 *   - ndflag = 0 drops the folder part of every path (Info-ZIP -j).
 *   - SpaceToUnderscore = 1 writes spaces in names as '_'.
 *   - naflag = 1 converts CR LF line ends to LF (the local text convention) in entries that
 *     contain no NUL byte in their first 64 KiB.
 *   - fQuiet: 0 every message, 1 warnings and errors only, 2 or more errors only.
 *
 * Encrypted entries (traditional PKWARE and WinZip AES): the password callback is asked with a
 * 256-byte buffer; a password that worked is reused for the following entries; a wrong password
 * is asked for again up to three times per entry; an answer of non-zero skips the entry (82).
 *
 * ---------------------------------------------------------------------------------------------
 * SendApplicationMessage arguments (13):
 *   1 ucsize, 2 csize: 64-bit (unsigned long long). DEVIATION from the 32-bit DLL: sizes of
 *     entries of 4 GiB and more (Zip64) are passed whole, never wrapped.
 *   3 cfactor: percentage saved, round((ucsize - csize) * 100 / ucsize); 0 when ucsize is 0;
 *     negative when the entry grew, clamped to -32768 (the caller reads the low 16 bits signed).
 *   4 month, 5 day, 6 year (four digits), 7 hour, 8 minute: the entry's DOS date and time
 *     fields as stored (local time by convention), not normalised: a time in a daylight-saving
 *     gap comes back as stored, out-of-range fields as they are (month 0-15, day 0-31, hour
 *     0-31, minute 0-63). Only when the directory cannot be read apart from libzip do they come
 *     from libzip's time, normalised.
 *   9 a reserved flag character, always ' '.
 *   10 entry path, 11 method name ("Stored", "Shrunk", "Reduce1".."Reduce4", "Implode",
 *     "Defl:N", "Def64", "BZip2", "LZMA", "XZ", "Zstd", "PPMd", "WavPack", "Unk:NNN"; libzip
 *     does not expose the deflate level, so every deflated entry is "Defl:N").
 *   12 CRC-32, 13 encryption flag character: 'E' (0x45, bit 0x40 set) when encrypted, else ' '.
 *
 * ---------------------------------------------------------------------------------------------
 * Return codes (Info-ZIP's), the value of Wiz_SingleEntryUnzip:
 *    0 PK_OK      success
 *    1 PK_WARN    warnings only: an empty archive, entries skipped (refused path, symbolic
 *                 link). An existing file kept as the options say is not a warning.
 *    2 PK_ERR     an entry failed: bad CRC, read error, an entry that could not be written
 *    3 PK_BADERR  the archive's directory is inconsistent (lying counts, offsets, bad Zip64, an
 *                 entry's data outside the archive)
 *    4 PK_MEM     out of memory
 *    9 PK_NOZIP   no archive: missing path, a folder or other non-regular file, a 0-byte file,
 *                 not a ZIP
 *   10 PK_PARAM   bad parameters: null DCL or USERFUNCTIONS, no archive name
 *   11 PK_FIND    none of the include names matched an entry
 *   50 PK_DISK    the extraction folder could not be created or written
 *   51 PK_EOF     the archive is truncated or cannot be read
 *   80 IZ_CTRLC   stopped by the service callback
 *   81 IZ_UNSUP   compression or encryption method not supported
 *   82 IZ_BADPWD  no (correct) password for an encrypted entry
 * When several things go wrong the highest-ranked code is returned, in the order
 * 80 > 4 > 3 > 51 > 50 > 82 > 81 > 2 > 11 > 1 > 0.
 */
#ifndef QUILLMERE_UNZIP32_H
#define QUILLMERE_UNZIP32_H

#ifdef __cplusplus
extern "C" {
#endif

#define UNZIP32_EXPORT __attribute__((visibility("default")))

enum {
    PK_OK = 0,
    PK_WARN = 1,
    PK_ERR = 2,
    PK_BADERR = 3,
    PK_MEM = 4,
    PK_NOZIP = 9,
    PK_PARAM = 10,
    PK_FIND = 11,
    PK_DISK = 50,
    PK_EOF = 51,
    IZ_CTRLC = 80,
    IZ_UNSUP = 81,
    IZ_BADPWD = 82
};

/* Answers of the replace callback (Info-ZIP's IDM_REPLACE_*). 100 keeps the existing file. */
enum {
    IDM_REPLACE_NO = 100,
    IDM_REPLACE_TEXT = 101,
    IDM_REPLACE_YES = 102,
    IDM_REPLACE_ALL = 103,
    IDM_REPLACE_NONE = 104,
    IDM_REPLACE_RENAME = 105,
    IDM_REPLACE_HELP = 106
};

typedef struct {
    int ExtractOnlyNewer;
    int SpaceToUnderscore;
    int PromptToOverwrite;
    int fQuiet;
    int ncflag;
    int ntflag;
    int nvflag;
    int nfflag;
    int nzflag;
    int ndflag;
    int noflag;
    int naflag;
    int nZIflag;
    int C_flag;
    int fPrivilege;
    const char *lpszZipFN;
    const char *lpszExtractDir;
} DCL;

typedef int(DLLPRNT)(char *text, unsigned long size);
typedef void(DLLSND)(void);
typedef int(DLLREPLACE)(char *filename);
typedef int(DLLPASSWORD)(char *buffer, int size, const char *prompt, const char *name);
typedef void(DLLMESSAGE)(unsigned long long ucsize, unsigned long long csize, unsigned cfactor,
                         unsigned mo, unsigned dy, unsigned yr, unsigned hh, unsigned mm, char c,
                         const char *filename, const char *methbuf, unsigned long crc,
                         char fCrypt);
typedef int(DLLSERVICE)(const char *name, unsigned long size);

typedef struct {
    DLLPRNT *print;
    DLLSND *sound;
    DLLREPLACE *replace;
    DLLPASSWORD *password;
    DLLMESSAGE *SendApplicationMessage;
    DLLSERVICE *ServCallBk;
    /* Filled after a listing: sums over the listed entries, entry count, comment length. */
    unsigned long TotalSizeComp;
    unsigned long TotalSize;
    unsigned long CompFactor;
    unsigned long NumMembers;
    unsigned short cchComment;
} USERFUNCTIONS;

typedef struct {
    unsigned char major;
    unsigned char minor;
    unsigned char patchlevel;
    unsigned char not_used;
} _version_type;

typedef struct {
    unsigned int structlen;
    unsigned int flag;
    char betalevel[10];
    char date[20];
    char zlib_version[10];
    int fEncryption;
    _version_type unzip;
    _version_type zipinfo;
    _version_type windll;
} UzpVer2;

/* Version of this library, reported in every _version_type of UzpVer2. */
#define UNZIP32_VERSION_MAJOR 1
#define UNZIP32_VERSION_MINOR 0
#define UNZIP32_VERSION_PATCH 0
/* Release date, ISO form, in UzpVer2.date. */
#define UNZIP32_RELEASE_DATE "2026-12-07"

UNZIP32_EXPORT int Wiz_SingleEntryUnzip(int ifnc, char **ifnv, int xfnc, char **xfnv,
                                        DCL *lpDCL, USERFUNCTIONS *lpUserFunctions);

/* The directory as stored, for a caller that rewrites the archive (Quillmere's split planner):
 * a qm::zip::Directory (src/zip/ZipReader.h) read with the local headers; the callee may
 * take its contents. Called once, at the end of a listing, whatever the code. */
typedef void(DLLSTORED)(void *directory);

/* A listing as Wiz_SingleEntryUnzip with nvflag = 1 gives it (the include and exclude lists
 * empty), each entry's local header read as well, and then the whole directory to stored. */
UNZIP32_EXPORT int Wiz_ListStored(DCL *lpDCL, USERFUNCTIONS *lpUserFunctions, DLLSTORED *stored);

/* Fills the record up to its structlen (at most 64 bytes are written). */
UNZIP32_EXPORT void UzpVersion2(UzpVer2 *version);

#ifdef __cplusplus
}
#endif

#endif /* QUILLMERE_UNZIP32_H */
