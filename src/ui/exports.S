// The export table, written out: the directory chooser's hook under its plain name, ordinal 1.
// The linker's own export generator fails on the stub, which is linked with link-time
// optimisation; the linker script puts this table first in the image and the image writer points
// the export directory at it.
#ifdef __i386__
#define HOOK "_GetDirDlgHookProc@16"
#else
#define HOOK "GetDirDlgHookProc"
#endif
        .section .rdata$exports, "dr"
        .globl  stub_exports
stub_exports:
        .long   0, 0                    // characteristics, time stamp
        .short  0, 0                    // version
        .rva    module_name
        .long   1                       // first ordinal
        .long   1, 1                    // functions, names
        .rva    functions, names, ordinals
functions:
        .rva    HOOK
names:
        .rva    hook_name
ordinals:
        .short  0
module_name:
        .asciz  "ombrix-sfx.exe"
hook_name:
        .asciz  "GetDirDlgHookProc"
