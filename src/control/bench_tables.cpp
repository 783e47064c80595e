// The bench positions: openings, middlegames, endgames and tactics, searched to a fixed depth.
#include "control/bench.h"

// clang-format off
const char *const benchPositions[BENCH_POSITIONS] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "rnbqkbnr/pp1ppppp/8/2p5/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 1 2",
    "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3",
    "r1bqk2r/pppp1ppp/2n2n2/2b1p3/2B1P3/2N2N2/PPPP1PPP/R1BQK2R w KQkq - 6 5",
    "rnbqk2r/ppp1bppp/4pn2/3p2B1/2PP4/2N5/PP2PPPP/R2QKBNR w KQkq - 4 5",
    "r1b1kb1r/ppppqppp/2n2n2/4N3/4P3/2N5/PPPP1PPP/R1BQKB1R w KQkq - 1 5",
    "r1bqkb1r/pppp1ppp/2n2n2/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR w KQkq - 4 4",
    "r2q1rk1/ppp2ppp/2np1n2/2b1p1B1/2B1P1b1/2NP1N2/PPP2PPP/R2Q1RK1 w - - 6 8",
    "r1bqr1k1/pp3pbp/2pp1np1/4n3/2PNP3/2N1BP2/PP1QB1PP/R4RK1 w - - 0 12",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
    "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
    "2r3k1/pp3ppp/8/3p4/3P4/8/PP3PPP/2R3K1 w - - 0 25",
    "8/5pk1/6p1/8/3R4/6P1/5PK1/3r4 w - - 0 40",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1",
    "8/8/8/4k3/8/8/4P3/4K3 w - - 0 1",
    "8/8/8/8/8/5k2/6p1/6K1 b - - 1 1",
    "4k3/8/8/8/8/8/8/4K2R w K - 0 1",
    "8/8/8/3k4/8/8/8/Q3K3 w - - 0 1",
    "8/P7/8/8/8/8/8/k1K5 w - - 0 1",
    "8/3k4/8/8/8/8/3K4/5BN1 w - - 0 1",
    "4k3/4p3/8/8/8/8/3P4/4K3 w - - 0 1",
    "r3k3/8/8/8/8/8/8/4K2R w Kq - 0 1",
    "8/8/1p1k4/1P1p4/3P4/2K5/8/8 w - - 0 50",
    "6k1/pp4pp/8/8/8/8/PP4PP/6K1 b - - 0 30",
    "r1bq1rk1/pp1nbppp/2p1pn2/3p4/2PP4/2N1PN2/PPQ2PPP/R1B1KB1R w KQ - 2 8",
    "2kr3r/ppp2ppp/2n1b3/2b1p3/4P3/2N1BN2/PPP2PPP/2KR1B1R w - - 4 11",
    "8/8/3k4/8/2K5/8/1Q6/8 w - - 0 60",
};
// clang-format on
