// The bench positions, all from games: openings after main lines, middlegames with the kings
// castled and uncastled, tactical positions, and endings with pawns and pieces. No position takes
// more than a tenth of the bench's nodes, so the node rate measures play and not one ending.
#include "control/bench.h"

// clang-format off
const char *const benchPositions[BENCH_POSITIONS] = {
    // Openings after main lines and early middlegames
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r1bqkbnr/pppp1ppp/2n5/1B2p3/4P3/5N2/PPPP1PPP/RNBQK2R b KQkq - 3 3",
    "rnbqkb1r/1p2pppp/p2p1n2/8/3NP3/2N5/PPP2PPP/R1BQKB1R w KQkq - 0 6",
    "rnbqkb1r/ppp2ppp/4pn2/3p2B1/2PP4/2N5/PP2PPPP/R2QKBNR b KQkq - 3 4",
    "rnbqk2r/ppp1ppbp/3p1np1/8/2PPP3/2N5/PP3PPP/R1BQKBNR w KQkq - 0 5",
    "rnbqkb1r/pp2pppp/2p2n2/3p4/2PP4/2N5/PP2PPPP/R1BQKBNR w KQkq - 2 4",
    "r1bqk2r/pppp1ppp/2n2n2/2b1p3/2B1P3/2P2N2/PP1P1PPP/RNBQK2R w KQkq - 1 5",
    "rnbqk1nr/ppp2ppp/4p3/3pP3/1b1P4/2N5/PPP2PPP/R1BQKBNR b KQkq - 0 4",
    "rn1qkbnr/pp2pppp/2p3b1/8/3P4/6N1/PPP2PPP/R1BQKBNR w KQkq - 3 6",
    "r1bq1rk1/ppp1nppp/3p1n2/3Pp3/2P1P3/2N5/PP2BPPP/R1BQK1NR w KQ - 1 8",
    "r4rk1/1pp2ppp/p1np1q2/4p3/2B1P1b1/2PP1N2/PP3PPP/R2Q1RK1 w - - 0 10",
    "2rq1rk1/pp1bppbp/2np1np1/8/3NP3/1BN1BP2/PPPQ2PP/2KR3R b - - 0 11",
    "r1b1k2r/ppppnppp/2n2q2/2b5/3NP3/2P1B3/PP3PPP/RN1QKB1R w KQkq - 0 7",
    // Middlegames and tactics (the Bratko-Kopec positions). A set-up position counts its moves
    // from its move number, and the search keeps the opening rules for the first 15; these carry
    // a middlegame move number so that the bench searches them as the games do, with the
    // middlegame rules (the null move among them).
    "1k1r4/pp1b1R2/3q2pp/4p3/2B5/4Q3/PPP2B2/2K5 b - - 0 20",
    "3r1k2/4npp1/1ppr3p/p6P/P2PPPP1/1NR5/5K2/2R5 w - - 0 20",
    "2q1rr1k/3bbnnp/p2p1pp1/2pPp3/PpP1P1P1/1P2BNNP/2BQ1PRK/7R b - - 0 20",
    "rnbqkb1r/p3pppp/1p6/2ppP3/3N4/2P5/PPP1QPPP/R1B1KB1R w KQkq - 0 20",
    "2r3k1/pppR1pp1/4p3/4P1P1/5P2/1P4K1/P1P5/8 w - - 0 20",
    "1nk1r1r1/pp2n1pp/4p3/q2pPp1N/b1pP1P2/B1P2R2/2P1B1PP/R2Q2K1 w - - 0 20",
    "4b3/p3kp2/6p1/3pP2p/2pP1P2/4K1P1/P3N2P/8 w - - 0 20",
    "2kr1bnr/pbpq4/2n1pp2/3p3p/3P1P1B/2N2N1Q/PPP3PP/2KR1B1R w - - 0 20",
    "3rr1k1/pp3pp1/1qn2np1/8/3p4/PP1R1P2/2P1NQPP/R1B3K1 b - - 0 20",
    "2r1nrk1/p2q1ppp/bp1p4/n1pPp3/P1P1P3/2PBB1N1/4QPPP/R4RK1 w - - 0 20",
    "r3r1k1/ppqb1ppp/8/4p1NQ/8/2P5/PP3PPP/R3R1K1 b - - 0 20",
    "r2q1rk1/4bppp/p2p4/2pP4/3pP3/3Q4/PP1B1PPP/R3R1K1 w - - 0 20",
    "rnb2r1k/pp2p2p/2pp2p1/q2P1p2/8/1Pb2NP1/PB2PPBP/R2Q1RK1 w - - 0 20",
    "2r3k1/1p2q1pp/2b1pr2/p1pp4/6Q1/1P1PP1R1/P1PN2PP/5RK1 w - - 0 20",
    "r1bqkb1r/4npp1/p1p4p/1p1pP1B1/8/1B6/PPPN1PPP/R2QK2R w KQkq - 0 20",
    "r2q1rk1/1ppnbppp/p2p1nb1/3Pp3/2P1P1P1/2N2N1P/PPB1QP2/R1B2RK1 b - - 0 20",
    "r1bq1rk1/pp2ppbp/2np2p1/2n5/P3PP2/N1P2N2/1PB3PP/R1B1QRK1 b - - 0 20",
    "3rr3/2pq2pk/p2p1pnp/8/2QBPP2/1P6/P5PP/4RRK1 b - - 0 20",
    "r4k2/pb2bp1r/1p1qp2p/3pNp2/3P1P2/2N3P1/PPP1Q2P/2KRR3 w - - 0 20",
    "3rn2k/ppb2rpp/2ppqp2/5N2/2P1P3/1P5Q/PB3PPP/3RR1K1 w - - 0 20",
    "2r2rk1/1bqnbpp1/1p1ppn1p/pP6/N1P1P3/P2B1N1P/1B2QPP1/R2R2K1 b - - 0 20",
    "r1bqk2r/pp2bppp/2p5/3pP3/P2Q1P2/2N1B3/1PP3PP/R4RK1 b kq - 0 20",
    "r2qnrnk/p2b2b1/1p1p2pp/2pPpp2/1PP1P3/PRNBB3/3QNPPP/5RK1 w - - 0 20",
    // Endings: rooks, minor pieces and pawns
    "8/5pk1/6p1/R7/5P2/6PK/r7/8 w - - 0 40",
    "8/5k2/4p1p1/3pP1P1/2nP4/5K2/4B3/8 w - - 0 45",
    "8/pp3k2/2p1p1p1/3pP1P1/3P1K2/2P5/PP6/8 w - - 0 35",
    "6k1/5pp1/p3p2p/1p1rP3/3R4/P5P1/1P3PKP/8 b - - 0 30",
    "8/3k4/1p1p2p1/pPpP1pP1/P1P2P2/3K4/8/8 w - - 0 50",
    "8/5pk1/4p1p1/3n4/1p1P4/1P2BP2/5KPP/8 w - - 0 38",
    "2r3k1/5ppp/p3p3/1p6/3R4/P3P3/1P3PPP/6K1 w - - 0 28",
    "8/1p3kpp/p1b5/3p4/3P4/1P2B1P1/P4P1P/6K1 w - - 0 30",
    "r5k1/5pp1/4p2p/3pP3/1r1P4/R4N1P/5PP1/R5K1 b - - 0 32",
    "8/3r1pk1/p5p1/1p1Bp2p/4P2P/1P3KP1/P4P2/3R4 w - - 0 36",
    "6k1/p4ppp/1p2n3/8/2P5/1P3N2/P4PPP/6K1 w - - 0 30",
    "4r1k1/1p3ppp/p1q5/8/2P5/1P3QP1/P4P1P/4R1K1 w - - 0 27",
    "5k2/5p2/3bp1p1/1p1n3p/1P1P3P/3B1NP1/5P2/6K1 b - - 0 40",
};
// clang-format on
