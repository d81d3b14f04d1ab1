// Cutting the receiver's byte stream into NMEA sentences:
//
//   $GPGGA,120000,5304.4,N,00848.0,E,1,08,1.0,10.0,M,45.0,M,,*5B\r\n
//   $GPRMC,120000,A,5304.4,N,00848.0,E,1.0,0.0,061226,,,A*6A\r\n
//
// Only NMEA text is kept: bytes below 22 (line ends, tabs, NUL), '?' and
// bytes of 128 and above (binary protocols mixed into the stream) are
// dropped. A sentence is handed over as soon as it is complete: at the two
// checksum digits after its '*', at its line end, or when the next '$'
// begins. Bytes that follow a complete sentence before the next '$' are
// handed over on their own at that '$'.
#pragma once

#include <cstring>

constexpr int kSentenceSize = 4096;         // the longest piece, terminating NUL included
constexpr unsigned char kLowestKept = 22;    // line ends, tabs and NUL are below
constexpr unsigned char kFirstHighByte = 128;

class SentenceFramer {
public:
    // Feeds the bytes; hand(char* sentence) is called with each complete
    // piece, which it may change, and which is cleared after it returns.
    template <class Hand>
    void take(const char* bytes, int count, Hand&& hand)
    {
        for (int k = 0; k < count; ++k) {
            unsigned char c = static_cast<unsigned char>(bytes[k]);
            if (c == '\r' || c == '\n') {
                if (sentence[0] == '$') handOver(hand);
                continue;
            }
            if (!wanted(c)) continue;
            if (c == '$') handOver(hand);
            // Bytes that never end cannot be a sentence; drop them rather
            // than run past the buffer.
            if (sentenceLength == kSentenceSize - 1) clear();
            if (c == '*' && checksumAt == 0) checksumAt = sentenceLength + 1;
            sentence[sentenceLength++] = static_cast<char>(c);
            if (checksumComplete()) handOver(hand);
        }
    }

    char sentence[kSentenceSize];  // NUL after the last byte stored
    int sentenceLength;
    int checksumAt;  // where the checksum digits go: 1 past the first '*'; 0 before one

private:
    static bool wanted(unsigned char c) { return c >= kLowestKept && c != '?' && c < kFirstHighByte; }
    static bool isHex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

    bool checksumComplete() const
    {
        return sentence[0] == '$' && checksumAt > 0 && sentenceLength == checksumAt + 2 && isHex(sentence[checksumAt]) &&
               isHex(sentence[checksumAt + 1]);
    }

    template <class Hand>
    void handOver(Hand& hand)
    {
        if (sentenceLength == 0) return;
        hand(sentence);
        clear();
    }

    void clear()
    {
        memset(sentence, 0, sizeof sentence);
        sentenceLength = 0;
        checksumAt = 0;
    }
};
