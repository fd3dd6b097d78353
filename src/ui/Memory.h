#pragma once

// The C library keeps freed blocks for reuse, in a pool for every thread that ever
// decoded a picture. By default each pool keeps up to 64 MB once a large picture
// has passed through it, so a long session went on holding what its largest loads
// once needed, growing by tens of megabytes over its first loads.

// Caps what each pool keeps: blocks of 16 MB and more are given back as soon as they
// are freed, and a pool keeps at most 32 MB free at its end. Decoding stays as fast,
// since a picture's buffers still come from a warm pool. Called before the first
// decoding thread starts; later calls do nothing.
void KeepFreedMemoryShort();

// Gives what the pools hold free back to the system now.
void ReturnFreedMemory();
