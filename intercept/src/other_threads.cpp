// Enlisting every other thread of the process (thread_suspension.h).
#include <new>
#include <vector>

#include "thread_snapshot.h"
#include "thread_suspension.h"

namespace intercept {
namespace {

constexpr DWORD kRights = THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT | THREAD_SET_CONTEXT | THREAD_QUERY_INFORMATION;
// Times the room runs out and everything starts over.
constexpr int kAttempts = 8;
// Readings of the thread list in one attempt; each one that is not the last
// found threads running that the one before did not list.
constexpr int kReadings = 64;

bool Listed(const std::vector<SuspendedThread>& threads, const std::vector<DWORD>& skipped, DWORD id) {
    for (const SuspendedThread& thread : threads) {
        if (thread.id() == id) return true;
    }
    for (DWORD other : skipped) {
        if (other == id) return true;
    }
    return false;
}

enum class Outcome { Settled, OutOfRoom, Failed, Unsettled };

// One attempt: suspends the threads the readings list until one shows
// nothing new, starting with the reading the snapshot holds when it holds
// one. Allocates nothing (room is reserved by the caller).
Outcome SuspendUntilSettled(ThreadSnapshot& snapshot, std::vector<SuspendedThread>* threads,
                            std::vector<DWORD>* skipped, LONG* error) {
    const DWORD self = GetCurrentThreadId();
    for (int reading = 0; reading < kReadings; ++reading) {
        const LONG taken = reading == 0 && snapshot.Count() != 0 ? NO_ERROR : snapshot.Take();
        if (taken == ERROR_INSUFFICIENT_BUFFER) return Outcome::OutOfRoom;
        if (taken != NO_ERROR) {
            *error = taken;
            return Outcome::Failed;
        }
        size_t fresh = 0;
        for (size_t i = 0; i < snapshot.Count(); ++i) {
            const DWORD id = snapshot.ThreadId(i);
            if (id != 0 && id != self && !Listed(*threads, *skipped, id)) ++fresh;
        }
        if (fresh == 0) return Outcome::Settled;
        if (threads->size() + fresh > threads->capacity() || skipped->size() + fresh > skipped->capacity()) {
            return Outcome::OutOfRoom;
        }
        for (size_t i = 0; i < snapshot.Count(); ++i) {
            const DWORD id = snapshot.ThreadId(i);
            if (id == 0 || id == self || Listed(*threads, *skipped, id)) continue;
            HANDLE own = OpenThread(kRights, FALSE, id);
            bool stoppedBefore = false;
            if (own != nullptr && StopAndConfirm(own, &stoppedBefore) == NO_ERROR) {
                threads->emplace_back(own, id, stoppedBefore);  // within capacity
                continue;
            }
            if (own != nullptr) CloseHandle(own);
            skipped->push_back(id);  // gone, or not ours to stop
        }
    }
    return Outcome::Unsettled;
}

}  // namespace

LONG EnlistOtherThreads(std::vector<SuspendedThread>* threads) {
    const size_t before = threads->size();
    auto resumeOurs = [threads, before] {
        while (threads->size() > before) threads->pop_back();  // resumes and closes, frees nothing
    };
    ThreadSnapshot snapshot;
    std::vector<DWORD> skipped;
    LONG error = ERROR_BUSY;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        // Nothing this call suspended is stopped here: room may be allocated.
        try {
            if (!snapshot.Reserve()) return ERROR_NOT_SUPPORTED;
            LONG taken = snapshot.Take();
            while (taken == ERROR_INSUFFICIENT_BUFFER) {
                if (!snapshot.Reserve()) return ERROR_NOT_ENOUGH_MEMORY;
                taken = snapshot.Take();
            }
            if (taken != NO_ERROR) return taken == ERROR_NOT_FOUND ? ERROR_NOT_SUPPORTED : taken;
            const size_t room = 2 * snapshot.Count() + 16;
            if (!snapshot.Reserve()) return ERROR_NOT_ENOUGH_MEMORY;  // slack over what was just needed
            threads->reserve(before + room);
            skipped.clear();
            skipped.reserve(room);
        } catch (const std::bad_alloc&) {
            return ERROR_NOT_ENOUGH_MEMORY;
        }
        const Outcome outcome = SuspendUntilSettled(snapshot, threads, &skipped, &error);
        if (outcome == Outcome::Settled) return NO_ERROR;
        resumeOurs();
        if (outcome == Outcome::Failed) return error;
        if (outcome == Outcome::Unsettled) return ERROR_BUSY;
    }
    return ERROR_BUSY;
}

}  // namespace intercept
