#include "solver.h"

#include <algorithm>
#include <bit>
#include <map>
#include <memory>

#include "board/tables.h"
#include "tablebases/registry.h"

namespace tb_test {
namespace {

using Bits             = Bitboard;
constexpr uint8_t NONE = 255;

// Every man of a position: type, colour (0 White) and square, kings first.
struct Tman {
    int type, colour, square;
};
struct Tposition {
    Tman men[4];
    int  count    = 0;
    Bits occupied = 0;
};

Tposition position_of(const Tmaterial& m, const Tsquares& sq) {
    Tposition p;
    p.men[p.count++] = {KING, 0, sq[0]};
    p.men[p.count++] = {KING, 1, sq[1]};
    for (int i = 0; i < m.men(); ++i)
        p.men[p.count++] = {i < m.nb_white ? m.white[size_t(i)] : m.black[size_t(i - m.nb_white)],
                            i >= m.nb_white, sq[size_t(2 + i)]};
    for (int i = 0; i < p.count; ++i)
        p.occupied |= square_bb(p.men[i].square);
    return p;
}

// Back to material and squares, each side's men strongest first.
void assemble(Tman* men, int count, Tmaterial& m, Tsquares& sq) {
    m  = {};
    sq = {};
    std::stable_sort(men, men + count, [](const Tman& a, const Tman& c) { return a.type > c.type; });
    for (int i = 0; i < count; ++i)
        if (men[i].type == KING)
            sq[size_t(men[i].colour)] = men[i].square;
    for (int colour = 0; colour < 2; ++colour)
        for (int i = 0; i < count; ++i)
            if (men[i].type != KING && men[i].colour == colour) {
                (colour ? m.black[size_t(m.nb_black++)] : m.white[size_t(m.nb_white++)]) = men[i].type;
                sq[size_t(1 + m.men())]                                                  = men[i].square;
            }
}

// Attacks from the engine's own tables, which perft pins.
bool attacks(const Tman& a, int target, Bits occupied) {
    const int s = a.square;
    switch (a.type) {
    case PAWN: return (a.colour == 0 ? pawn_from_below[target] : pawn_from_above[target]) & square_bb(s);
    case KNIGHT: return knight_attacks[s] & square_bb(target);
    case KING: return king_attacks[s] & square_bb(target);
    default:
        const Bits rays = a.type == BISHOP ? bishop_rays[s] : a.type == ROOK ? rook_rays[s] : queen_rays[s];
        return (rays & square_bb(target)) && !(between[s][target] & occupied);
    }
}

// Squares a man attacks (a pawn: those it takes on), where pieces move: sliders stop at the
// first man.
Bits targets(const Tman& man, Bits occupied) {
    if (man.type == KNIGHT || man.type == KING)
        return man.type == KNIGHT ? knight_attacks[man.square] : king_attacks[man.square];
    Bits found = 0;
    for (Bits rays = queen_rays[man.square]; rays;) {
        const int t = pop_lsb(rays);
        found |= attacks(man, t, occupied) ? square_bb(t) : 0;
    }
    return found;
}

// Every move of `side`: visit(child material, child squares, stays in this endgame).
template <typename F> void each_move(const Tmaterial& m, const Tsquares& sq, int side, F visit) {
    const Tposition p       = position_of(m, sq);
    Bits            blocked = 0; // the mover's men and both kings: never taken
    for (int i = 0; i < p.count; ++i)
        blocked |= p.men[i].colour == side || p.men[i].type == KING ? square_bb(p.men[i].square) : 0;
    Tmaterial cm;
    Tsquares  csq;
    for (int i = 0; i < p.count; ++i) {
        const Tman& man = p.men[i];
        if (man.colour != side)
            continue;
        auto play = [&](int to, int promotion) {
            if (!promotion && !(p.occupied & square_bb(to))) { // a quiet move keeps the order of the men
                csq            = sq;
                csq[size_t(i)] = to;
                visit(m, csq, true);
                return;
            }
            Tman men[4];
            int  n = 0;
            for (int j = 0; j < p.count; ++j)
                if (p.men[j].square != to)
                    men[n++] = p.men[j].square == man.square
                                   ? Tman{promotion ? promotion : man.type, side, to}
                                   : p.men[j];
            assemble(men, n, cm, csq);
            visit(cm, csq, false);
        };
        if (man.type != PAWN) {
            for (Bits t = targets(man, p.occupied) & ~blocked; t;)
                play(pop_lsb(t), 0);
            continue;
        }
        const int up = side == 0 ? 8 : -8, last = side == 0 ? 7 : 0, start = side == 0 ? 1 : 6;
        auto      pawn_to = [&](int t) {
            for (int promotion = rank_of(t) == last ? QUEEN : 0;
                 promotion >= (rank_of(t) == last ? KNIGHT : 0); --promotion)
                play(t, promotion);
        };
        const int one = man.square + up;
        if (!(p.occupied & square_bb(one))) {
            pawn_to(one);
            if (rank_of(man.square) == start && !(p.occupied & square_bb(one + up)))
                play(one + up, 0);
        }
        for (Bits t = targets(man, p.occupied) & p.occupied & ~blocked; t;)
            pawn_to(pop_lsb(t));
    }
}

// Positions with the other side to move that reach this one by a move that stays in the
// endgame: visit(squares).
template <typename F> void each_unmove(const Tmaterial& m, const Tsquares& sq, int side, F visit) {
    const Tposition p     = position_of(m, sq);
    const int       mover = side ^ 1;
    for (int i = 0; i < p.count; ++i) {
        const Tman& man = p.men[i];
        if (man.colour != mover)
            continue;
        auto from = [&](int f) {
            Tsquares psq   = sq;
            psq[size_t(i)] = f;
            visit(psq);
        };
        if (man.type != PAWN) {
            for (Bits f = targets(man, p.occupied) & ~p.occupied; f;)
                from(pop_lsb(f));
            continue;
        }
        const int down = mover == 0 ? -8 : 8, one = man.square + down;
        if (one >= 8 && one < 56 && !(p.occupied & square_bb(one))) {
            from(one);
            if (rank_of(man.square) == (mover == 0 ? 3 : 4) && !(p.occupied & square_bb(one + down)))
                from(one + down);
        }
    }
}

// The same position with the colours exchanged and the board turned over.
void swap_colours(Tmaterial& m, Tsquares& sq, int& side) {
    Tposition p = position_of(m, sq);
    for (int i = 0; i < p.count; ++i)
        p.men[i] = {p.men[i].type, p.men[i].colour ^ 1, p.men[i].square ^ 56};
    assemble(p.men, p.count, m, sq);
    side ^= 1;
}

// The value of a position of any material up to four men, sides as on the board: by the
// endgame it is in, or its colours exchanged when the stronger side is Black.
int value_of(Tmaterial m, Tsquares sq, int side) {
    if (m.men() == 0)
        return is_legal(m, sq, side) ? DRAW : ILLEGAL;
    if (class_of(counts_of_name(m.name().c_str())) < 0)
        swap_colours(m, sq, side);
    return solve(m.name()).value_of(sq, side);
}

tb::Tmen men_of(const Tmaterial& m, const Tsquares& sq) {
    return {sq[0], sq[1], sq[2], m.nb_white > 1 ? sq[3] : 0, m.nb_black ? sq[size_t(2 + m.nb_white)] : 0};
}

} // namespace

std::string Tmaterial::name() const {
    std::string n = "k";
    for (int i = 0; i < nb_white; ++i)
        n += " pnbrq"[white[size_t(i)]];
    n += 'k';
    for (int i = 0; i < nb_black; ++i)
        n += " pnbrq"[black[size_t(i)]];
    return n;
}

Tmaterial material_of(const std::string& class_name) {
    Tmaterial m;
    int       side = -1;
    for (char c : class_name) {
        const int type = int(std::string(" pnbrq").find(c));
        if (c == 'k')
            ++side;
        else
            (side ? m.black[size_t(m.nb_black++)] : m.white[size_t(m.nb_white++)]) = type;
    }
    return m;
}

bool is_legal(const Tmaterial& m, const Tsquares& sq, int side) {
    // Called for every position of every endgame: no position record here.
    const int n        = 2 + m.men();
    Bits      occupied = 0;
    for (int i = 0; i < n; ++i)
        occupied |= square_bb(sq[size_t(i)]);
    if (std::popcount(occupied) != n || tb::kings_touch(sq[0], sq[1]))
        return false;
    for (int i = 0; i < m.men(); ++i) {
        const bool white = i < m.nb_white;
        const int  type  = white ? m.white[size_t(i)] : m.black[size_t(i - m.nb_white)];
        const int  s     = sq[size_t(2 + i)];
        if (type == PAWN && (rank_of(s) == 0 || rank_of(s) == 7))
            return false;
        if (white == (side == 0) && attacks({type, side, s}, sq[size_t(side ^ 1)], occupied))
            return false;
    }
    return true;
}

Tendgame::Tendgame(const Tmaterial& m)
    : material(m), count(2 + m.men()), pawns(m.pawns()),
      states(uint32_t(pawns ? 32 : 16) << 6 * (count - 1)) {
    solve();
}

uint32_t Tendgame::state_of(Tsquares sq) const {
    const int mask = (file_of(sq[0]) >= 4 ? 7 : 0) ^ (!pawns && rank_of(sq[0]) >= 4 ? 56 : 0);
    const int wk   = sq[0] ^ mask;
    uint32_t  s    = uint32_t(rank_of(wk) * 4 + file_of(wk));
    for (int i = 1; i < count; ++i)
        s = s * 64 + uint32_t(sq[size_t(i)] ^ mask);
    return s;
}

Tsquares Tendgame::squares_of(uint32_t state) const {
    Tsquares sq{};
    for (int i = count - 1; i >= 1; --i, state /= 64)
        sq[size_t(i)] = int(state % 64);
    sq[0] = int(state / 4) * 8 + int(state % 4);
    return sq;
}
void Tendgame::solve() {
    // While solving, a value is one byte (plies, or one of the codes below) so that the arrays the
    // walks hit at random stay small; the rest of what a position needs lies beside them.
    constexpr uint8_t V_DRAW = 253, V_ILLEGAL = 254, V_UNKNOWN = 255;
    struct Tcount {
        uint8_t left  = 0;    // moves inside the endgame not yet known to lose
        uint8_t worst = 0;    // longest known loss, in plies
        uint8_t win   = NONE; // shortest win by a move out of the endgame
        uint8_t draw  = 0;    // a move out of the endgame draws
    };
    std::vector<uint8_t> val[2];
    std::vector<Tcount>  counts[2];
    for (int side = 0; side < 2; ++side) {
        val[side].assign(states, V_UNKNOWN);
        counts[side].assign(states, Tcount{});
        for (uint32_t s = 0; s < states; ++s)
            if (!is_legal(material, squares_of(s), side))
                val[side][s] = V_ILLEGAL;
    }

    for (int side = 0; side < 2; ++side)
        for (uint32_t s = 0; s < states; ++s) {
            if (val[side][s] == V_ILLEGAL)
                continue;
            Tcount&        n     = counts[side][s];
            const Tsquares sq    = squares_of(s);
            int            moves = 0;
            each_move(material, sq, side, [&](const Tmaterial& cm, const Tsquares& csq, bool in_class) {
                if (in_class) {
                    if (val[side ^ 1][state_of(csq)] != V_ILLEGAL) {
                        ++moves;
                        ++n.left;
                    }
                    return;
                }
                const int v = tb_test::value_of(cm, csq, side ^ 1); // by the endgame it leads to
                if (v == ILLEGAL)
                    return;
                ++moves;
                if (v == DRAW)
                    n.draw = 1;
                else if (v % 2 == 0)
                    n.win = uint8_t(std::min(int(n.win), v + 1));
                else
                    n.worst = uint8_t(std::max(int(n.worst), v + 1));
            });
            if (moves == 0)
                val[side][s] = is_legal(material, sq, side ^ 1) ? V_DRAW : 0; // in check: mated
        }

    // Ply by ply: first the positions decided by moves out of the endgame or whose last move was
    // just refuted, then the positions one move before those decided at this ply.
    std::vector<std::vector<uint32_t>> pending(256), decided(256); // side in the low bit
    for (int side = 0; side < 2; ++side)
        for (uint32_t s = 0; s < states; ++s) {
            const Tcount& n = counts[side][s];
            if (val[side][s] == 0)
                decided[0].push_back(s << 1 | uint32_t(side));
            else if (val[side][s] == V_UNKNOWN && n.win != NONE)
                pending[n.win].push_back(s << 1 | uint32_t(side));
            else if (val[side][s] == V_UNKNOWN && n.left == 0 && !n.draw)
                pending[n.worst].push_back(s << 1 | uint32_t(side));
        }
    for (int ply = 0; ply < 253; ++ply) {
        for (uint32_t entry : pending[size_t(ply)]) {
            uint8_t& v = val[entry & 1][entry >> 1];
            if (v == V_UNKNOWN) {
                v = uint8_t(ply);
                decided[size_t(ply)].push_back(entry);
            }
        }
        for (uint32_t entry : decided[size_t(ply)]) {
            const int other = int(entry & 1) ^ 1;
            each_unmove(material, squares_of(entry >> 1), other ^ 1, [&](const Tsquares& psq) {
                const uint32_t p = state_of(psq);
                uint8_t&       v = val[other][p];
                if (v != V_UNKNOWN)
                    return;
                if (ply % 2 == 0) { // a move into this loss wins
                    v = uint8_t(ply + 1);
                    decided[size_t(ply + 1)].push_back(p << 1 | uint32_t(other));
                    return;
                }
                Tcount& n = counts[other][p];
                n.worst   = uint8_t(std::max(int(n.worst), ply + 1));
                if (--n.left == 0 && n.win == NONE && !n.draw)
                    pending[n.worst].push_back(p << 1 | uint32_t(other));
            });
        }
        std::vector<uint32_t>().swap(decided[size_t(ply)]);
    }
    for (int side = 0; side < 2; ++side) {
        value[side].resize(states);
        for (uint32_t s = 0; s < states; ++s) {
            const uint8_t v = val[side][s];
            value[side][s]  = int16_t(v == V_ILLEGAL ? ILLEGAL : v >= V_DRAW ? DRAW : v);
        }
    }
}

const Tendgame& solve(const std::string& class_name) {
    static std::map<std::string, std::unique_ptr<Tendgame>> solved;
    std::unique_ptr<Tendgame>&                              eg = solved[class_name];
    if (!eg)
        eg = std::make_unique<Tendgame>(material_of(class_name));
    return *eg;
}

std::vector<int8_t> make_table(const std::string& class_name, int side) {
    const Tmaterial m  = material_of(class_name);
    const int       id = class_of(counts_of_name(class_name.c_str()));
    const Tendgame& eg = solve(class_name);
    tb::build_index_tables();
    // Room beyond the expected length, so that a table that comes out longer shows as such.
    const uint32_t      room = 2 * tb_classes[id].expected[side];
    std::vector<int8_t> table(room, 127);
    std::vector<bool>   set(room, false);
    uint32_t            length = 0;
    for (uint32_t s = 0; s < eg.states; ++s) {
        const int v = eg.value[side][s];
        if (v == ILLEGAL)
            continue;
        const int8_t   byte  = int8_t(v == DRAW ? 0 : v % 2 ? 127 - (v + 1) / 2 : v / 2 - 126);
        const uint32_t index = tb_classes[id].index[side](men_of(m, eg.squares_of(s)), 0, tb::NO_EP);
        if (index >= room || (set[index] && table[index] != byte))
            return {};
        table[index] = byte;
        set[index]   = true;
        length       = std::max(length, index + 1);
    }
    table.resize(length);
    return table;
}

std::vector<uint8_t> hex_fixture(const std::string& file) {
    std::vector<uint8_t> bytes;
    std::ifstream        in(std::string(BRELOK_SOURCE_DIR) + "/tests/tablebases/data/" + file);
    for (std::string pair(2, ' '); in >> pair[0] >> pair[1];)
        bytes.push_back(uint8_t(std::stoi(pair, nullptr, 16)));
    return bytes;
}

int64_t scan_class(int id, int side, bool full) {
    const Tmaterial m       = material_of(tb_classes[id].name);
    int64_t         largest = -1;
    tb::build_index_tables();
    auto visit = [&](const Tsquares& sq, int ep) {
        if (!is_legal(m, sq, side))
            return;
        const uint32_t i = tb_classes[id].index[side](men_of(m, sq), 0, ep);
        largest          = std::max(largest, int64_t(i));
    };
    const bool pawns = m.pawns(), first_pawn = m.men() && (m.nb_white ? m.white[0] : m.black[0]) == PAWN;
    for (int key = 0; key < 64; ++key) {
        if (pawns ? file_of(key) > 3 : !(rank_of(key) <= file_of(key) && file_of(key) <= 3))
            continue;
        if (!full && m.men() == 2
            && (pawns ? (key > 7 && key < 56) || file_of(key) < 2 : key != 19 && key != 27))
            continue;
        for (int other = 0; other < 64; ++other) {
            Tsquares sq{};
            sq[size_t(side)]     = key;
            sq[size_t(side ^ 1)] = other;
            for (int a = first_pawn ? 8 : 0; a < (first_pawn ? 56 : 64); ++a)
                for (int b = 0; b < (m.men() == 1 ? 1 : 64); ++b) {
                    sq[2] = a;
                    sq[3] = b;
                    visit(sq, tb::NO_EP);
                }
            // En passant: the pawn of the side not to move has just come two squares.
            if (m.nb_white == 1 && m.nb_black == 1 && m.white[0] == PAWN && m.black[0] == PAWN)
                for (int moved = side ? 24 : 32; moved < (side ? 32 : 40); ++moved)
                    for (int df : {-1, 1}) {
                        const int taker = moved + df, e = side ? moved - 8 : moved + 8,
                                  from = side ? moved - 16 : moved + 16;
                        if (rank_of(taker) != rank_of(moved) || key == e || other == e || key == from
                            || other == from)
                            continue;
                        sq[2] = side ? moved : taker;
                        sq[3] = side ? taker : moved;
                        visit(sq, e);
                    }
        }
    }
    return largest;
}

} // namespace tb_test
