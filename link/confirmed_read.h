#pragma once

#include "adapter.h"
#include "transfer_observer.h"

#include <QByteArray>

namespace kestrel::link {

enum class ReadEnd
{
    Done,
    NoReply,   // a word's three requests went without a single reply byte
    Disturbed, // a word's requests were answered out of step, or its bytes never agreed
    Broken,
    Cancelled,
};

struct ReadOutcome
{
    ReadEnd end = ReadEnd::Done;
    int failedAddress = 0; // NoReply, Disturbed: the address of the word that failed
};

// Requests a read of `words` words from firstAddress is made of: every even word, then every odd
// word from firstAddress - 1 to firstAddress + 2 * words - 1.
[[nodiscard]] constexpr int confirmedReadRequests(int words)
{
    return 2 * words + 1;
}

// Reads words 16-bit words from firstAddress into bytes (2 * words bytes, address order), each
// byte confirmed by two replies. The adapter's replies carry neither address nor checksum, so a
// reply that comes whole and on time can still be wrong: a byte lost and another gained, a byte
// held back and delivered with the next reply, a bit changed on the wire. Every byte is therefore
// read twice, once in the reply to its even word and once in the reply to the odd word that
// overlaps it, where it stands at the other place of the reply; a byte delivered in the wrong
// place cannot agree with itself. Bytes that disagree are asked again (both words), up to three
// rounds. Each request has three tries at a whole reply; after any sign of trouble (a short reply,
// bytes before a request) a status query pushes out whatever the adapter still holds and the line
// is drained until quiet before the word is asked again. Progress counts requests up to
// confirmedReadRequests(words) - 1.
[[nodiscard]] ReadOutcome readConfirmed(AdapterLink& link, TransferObserver& observer,
                                        int firstAddress, int words, QByteArray& bytes);

} // namespace kestrel::link
