#pragma once
// Failures on demand, for the tests that prove every file a translator has
// survives any failed file operation: armed, the Nth file operation from then
// on fails as a full disk, a lost device or a file held by another program
// would make it fail. Disarmed (always, in the programs) it only counts.

#include <cstdint>

namespace verbarium {

enum class FileOperation { Open, Read, Write, Sync, Close, Rename, Copy, Move, Delete, List, Lock, MakeDirectory };

namespace fault_injection {

// The nth operation from now on fails (1: the next one); 0 disarms.
void failNth(std::int64_t n);
// Whether the armed failure happened since failNth, and on which operation.
bool struck();
FileOperation struckOperation();
// Operations since failNth.
std::int64_t operationsSeen();

}  // namespace fault_injection

// Called by every file operation of the platform layer before it acts: true
// when it must fail instead.
bool injectedFailure(FileOperation operation);

}  // namespace verbarium
