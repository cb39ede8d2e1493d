// What two programs playing one match over the network say to each other, and its binary form:
// one type byte, then the fields little-endian, floats by their bit patterns. The decoder checks
// every field and the exact length, so bytes from a peer can never reach the game unchecked.
// Pure functions: any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "physics/desk.h"
#include "physics/flick_launch_values.h"

// The form of the messages below; raised whenever one of them changes.
inline constexpr uint32_t kNetProtocolVersion = 2;
// The longest program version a hello carries.
inline constexpr size_t kMaxNetVersionBytes = 32;
// Points of the aim stay near the board; anything farther is not a real aim.
inline constexpr float kMaxNetAimCoord = 100.0f;
// Draughts on the board lie within a few units of its centre; fallen ones a little below it.
inline constexpr float kMaxNetPlaceCoord = 100.0f;

// Why a side ends the connection; also the data of ENet's disconnect, where 0 is ENet's own
// (a timeout).
enum class ENetEnd : uint8_t { Quit = 1, Version = 2, Busy = 3, Protocol = 4 };

struct SNetHello {
    uint32_t nProtocol = kNetProtocolVersion;
    std::string program;  // printable, at most kMaxNetVersionBytes
};
// The host's choice of the match; the joining player plays black.
struct SNetSetup {
    int nBoard = 0, nMaterial = 0, nRule = 0, nMode = 0;
};
struct SNetFlick {
    uint32_t nSeq = 0;  // flicks played before it in the match
    int nCheck = 0;
    SFlickLaunch launch;
    uint64_t nHashBefore = 0;  // the sender's RestPositionHash before it
};
struct SNetCheck {
    uint32_t nSeq = 0;  // of the flick that came to rest
    uint64_t nHash = 0;
};
struct SNetDraught {
    int nSide = 0;
    bool bOnDesk = false;
    float fX = 0.0f, fY = 0.0f, fHeight = 0.0f;
};
// The host's whole position at rest after nSeq flicks, sent when the two sides disagree.
struct SNetPosition {
    uint32_t nSeq = 0;
    SNetDraught draughts[kCheckCount];
};
// The opponent's hand and aim marker while he aims.
struct SNetAim {
    float hand[3] = {}, marker[3] = {};
};
struct SNetBye {
    ENetEnd reason = ENetEnd::Quit;
};
// What a player chose on a result screen; both sides go on only once both chose the same.
enum class ENetNext : uint8_t { NextSet = 0, NewMatch = 1 };
struct SNetNext {
    ENetNext what = ENetNext::NextSet;
    uint32_t nSeq = 0;  // flicks played in the match when chosen
};

using SNetMessage = std::variant<SNetHello, SNetSetup, SNetFlick, SNetCheck, SNetPosition, SNetAim, SNetBye, SNetNext>;

std::vector<uint8_t> EncodeNetMessage(const SNetMessage& message);
// False with a short reason for anything that is not exactly one well-formed message.
bool DecodeNetMessage(std::span<const uint8_t> bytes, SNetMessage& out, std::string& error);
// The text a player reads for a peer's reason to end.
const char* NetEndText(ENetEnd reason);
