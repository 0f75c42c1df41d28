#pragma once
// The task allocator: memory that one side of an interface allocates and the
// other frees, such as the text a method answers through an LPOLESTR*.

#include <cstddef>
#include <string_view>

void* CoTaskMemAlloc(size_t size);
void* CoTaskMemRealloc(void* block, size_t size);
// Null is allowed and ignored.
void CoTaskMemFree(void* block);

// A zero-terminated copy of `text` from the task allocator (null when memory
// is exhausted); the receiver frees it with CoTaskMemFree.
char16_t* CoTaskMemStrDup(std::u16string_view text);
