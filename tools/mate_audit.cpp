// Mate audit: searches positions to a fixed depth and checks every mate score the search
// reports with the independent mate prover of the tests; also writes position sets from
// games (self-play from given positions, or move lists in standard notation).
//
//   mate_audit audit DEPTH FILE [NODE_BUDGET]   counts of mate claims, proven and false
//   mate_audit selfplay DEPTH PLIES FILE        the FEN of every position of self-play games
//   mate_audit san FILE                         the FEN of every position of the games given
//                                               as one line of moves each ("1.e4 e5 2.Nf3")
//   mate_audit evalcheck DEPTH FILE             every position DEPTH plies around each FEN:
//                                               the evaluation's mate and stalemate facts
//                                               against the legal move count
// Build: cmake --build build/release --target mate_audit
// The position set of the counts: tools/mate_audit_positions.fen, e.g.
//   build/release/mate_audit audit 5 tools/mate_audit_positions.fen
#include "board/board.h"
#include "board/makemove.h"
#include "board/position.h"
#include "control/control.h"
#include "control/movetext.h"
#include "movegen/movegen.h"
#include "search/mate_prover.h"
#include "search/search.h"
#include "support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

static std::vector<std::string> readLines(const char *path) {
    std::vector<std::string> lines;
    FILE *f = std::fopen(path, "r");
    if (!f) {
        std::fprintf(stderr, "cannot read %s\n", path);
        std::exit(2);
    }
    char buf[4096];
    while (std::fgets(buf, sizeof buf, f)) {
        std::string s(buf);
        while (!s.empty() && (s.back() == '\n' || s.back() == '\r'))
            s.pop_back();
        if (!s.empty() && s[0] != '#')
            lines.push_back(s);
    }
    std::fclose(f);
    return lines;
}

static const char *verdictName(MateVerdict v) {
    return v == MateVerdict::Proven ? "proven" : v == MateVerdict::Refuted ? "FALSE" : "undecided";
}

static std::string pvText() {
    std::string s;
    for (int i = 0; i < pvlen[0]; i++) {
        s += sanstring(pv[0][i]);
        s += ' ';
    }
    return s;
}

static int audit(int depth, const char *path, uint64_t budget) {
    proverNodeBudget = budget;
    int positions = 0, claims = 0, proven = 0, refuted = 0, undecided = 0, mismatches = 0;
    for (const std::string &fen : readLines(path)) {
        if (!searchFEN(fen.c_str(), depth)) {
            std::printf("refused: %s\n", fen.c_str());
            continue;
        }
        positions++;
        // Every finished iteration's score is a claim; the same score twice is one claim.
        int32_t seen[MAX_PLY];
        int nSeen = 0;
        std::string pvs[MAX_PLY];
        for (int d = 1; d < MAX_PLY; d++) {
            const int32_t s = best_score[d];
            if (s <= 9959 && s >= -9959)
                continue;
            bool dup = false;
            for (int i = 0; i < nSeen; i++)
                dup |= seen[i] == s;
            if (!dup)
                seen[nSeen++] = s;
        }
        const std::string line = pvText();
        for (int i = 0; i < nSeen; i++) {
            setupFEN(fen.c_str());
            proverCheckMismatch = false;
            const MateVerdict v = checkMateScore(seen[i]);
            claims++;
            mismatches += proverCheckMismatch;
            if (v == MateVerdict::Proven)
                proven++;
            else if (v == MateVerdict::Refuted)
                refuted++;
            else
                undecided++;
            std::printf("%s %d (%llu nodes) %s | final line %s%s\n", verdictName(v), (int)seen[i],
                        (unsigned long long)proverNodes, fen.c_str(), line.c_str(),
                        proverCheckMismatch ? " CHECK-FLAG MISMATCH" : "");
        }
        std::fflush(stdout);
    }
    std::printf("depth %d: %d positions, %d mate claims: %d proven, %d false, %d undecided; "
                "%d check-flag mismatches\n",
                depth, positions, claims, proven, refuted, undecided, mismatches);
    return refuted > 0 ? 1 : 0;
}

static void printFEN() {
    char fen[128];
    positionToFEN(0, fen);
    std::printf("%s\n", fen);
}

static bool gameOver() {
    ply = 0;
    SEE();
    movgen(0, 0);
    return mvstore[1] == 0;
}

static int selfplay(int depth, int plies, const char *path) {
    for (const std::string &start : readLines(path)) {
        if (!setupFEN(start.c_str()))
            continue;
        printFEN();
        for (int i = 0; i < plies && !gameOver(); i++) {
            prepareSearch(depth);
            search();
            ply = 0;
            makeMove(movePV);
            printFEN();
        }
        std::fflush(stdout);
    }
    return 0;
}

// Plays one game given as moves in standard notation from the start position.
static bool playGame(const std::string &text) {
    ensureSetup();
    printFEN();
    char buf[4096];
    std::snprintf(buf, sizeof buf, "%s", text.c_str());
    for (char *tok = std::strtok(buf, " "); tok; tok = std::strtok(nullptr, " ")) {
        char *dot = std::strrchr(tok, '.');
        std::string word = dot ? dot + 1 : tok;
        while (!word.empty() && (word.back() == '+' || word.back() == '#' || word.back() == '!' ||
                                 word.back() == '?'))
            word.pop_back();
        if (word.empty() || word == "1-0" || word == "0-1" || word == "1/2-1/2")
            continue;
        ply = 0;
        SEE();
        movgen(0, 0);
        int found = -1;
        for (int i = 0; i < mvstore[1]; i++) {
            std::string san = sanstring(searchData[0][i]);
            while (!san.empty() && (san.back() == '+' || san.back() == '#'))
                san.pop_back();
            if (san == word)
                found = i;
        }
        if (found < 0) {
            std::fprintf(stderr, "no move %s in this game\n", word.c_str());
            return false;
        }
        mvstack(&searchData[0][found], (int16_t)found);
        makeOppMove(searchData[0][found], (int16_t)found);
        printFEN();
    }
    return true;
}

static uint64_t evalWrong;
static void printVerdict(const EvalVerdict &v) {
    evalWrong++;
    std::printf("eval %d stalemate %d, legal moves %d, in check %d%s: %s\n", (int)v.score,
                (int)v.stalemate, v.legalMoves, (int)v.inCheck,
                v.consistent ? "" : ", incremental state wrong", v.fen);
}

static int evalcheck(int depth, const char *path) {
    uint64_t evalChecked = 0;
    for (const std::string &line : readLines(path)) {
        std::string fen = line.substr(0, line.find(';'));
        while (!fen.empty() && fen.back() == ' ')
            fen.pop_back();
        if (!setupFEN(fen.c_str()))
            continue;
        evalChecked += walkEvalVerdicts(depth, printVerdict);
    }
    std::printf("%llu positions, %llu with a wrong mate or stalemate verdict\n",
                (unsigned long long)evalChecked, (unsigned long long)evalWrong);
    return evalWrong ? 1 : 0;
}

int main(int argc, char **argv) {
    ensureSetup();
    if (argc >= 4 && !std::strcmp(argv[1], "audit"))
        return audit(std::atoi(argv[2]), argv[3],
                     argc >= 5 ? std::strtoull(argv[4], nullptr, 10) : 20000000ULL);
    if (argc >= 5 && !std::strcmp(argv[1], "selfplay"))
        return selfplay(std::atoi(argv[2]), std::atoi(argv[3]), argv[4]);
    if (argc >= 4 && !std::strcmp(argv[1], "evalcheck"))
        return evalcheck(std::atoi(argv[2]), argv[3]);
    if (argc >= 3 && !std::strcmp(argv[1], "san")) {
        for (const std::string &game : readLines(argv[2]))
            playGame(game);
        return 0;
    }
    std::fprintf(stderr, "usage: mate_audit audit DEPTH FILE [NODE_BUDGET] | selfplay DEPTH "
                         "PLIES FILE | san FILE | evalcheck DEPTH FILE\n");
    return 2;
}
