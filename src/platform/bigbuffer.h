#pragma once
// Buffers of many megabytes (the HTML page of a long text) are touched page
// by page as they are filled; each fresh 4 KB page is a fault, and in a
// virtual machine faults cost more than the copying itself. Asking the
// kernel for huge pages on such a buffer, before it is written, makes that
// one fault per 2 MB. Elsewhere than on Linux this does nothing.

#include <QtGlobal>

#if defined(Q_OS_LINUX)
#include <sys/mman.h>

#include <cstdint>
#endif

namespace qv::bigbuffer {

inline void preferHugePages(const void* data, qsizetype bytes) {
#if defined(Q_OS_LINUX)
  constexpr std::uintptr_t kHuge = 2 * 1024 * 1024;
  const auto from = (reinterpret_cast<std::uintptr_t>(data) + kHuge - 1) & ~(kHuge - 1);
  const auto to = (reinterpret_cast<std::uintptr_t>(data) + static_cast<std::uintptr_t>(bytes)) & ~(kHuge - 1);
  if (to > from) madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#else
  Q_UNUSED(data);
  Q_UNUSED(bytes);
#endif
}

// Reserves room for size elements in a QString or QByteArray and asks for
// huge pages on it.
template <class Buffer>
void reserve(Buffer& b, qsizetype size) {
  b.reserve(size);
  preferHugePages(b.constData(), b.capacity() * qsizetype(sizeof(*b.constData())));
}

}  // namespace qv::bigbuffer
