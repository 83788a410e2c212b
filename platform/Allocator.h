#pragma once
// The program's memory allocator.
//
// A large tree is millions of small blocks made in one go at start-up (news
// items, their strings, the view nodes of six views). The build links
// mimalloc in place of the C library's allocator where it can (not under the
// sanitizers), and ConfigureAllocator asks it for 2 MiB pages: the kernel
// then clears and maps a few hundred large pages instead of a quarter of a
// million small ones, which at 300,000 items was a third of the start-up.

// Call first thing in main. Does nothing without mimalloc.
void ConfigureAllocator();
// The allocator in use, for the log and the benchmarks.
const char* AllocatorName();
