"""The fuzzer's referee (scripts/fuzz_stdin.py): what the engine's own readers make of a FEN and
of a coordinate move, mirrored on the rules core of ../shared/tools, and the judges that read a
session's transcript and tell which moves were illegal."""
import os
import re
import sys

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(REPO, "..", "shared", "tools"))
import chessrules as cr  # noqa: E402

START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -"

C_SPACE = " \t\n\v\f\r"


def c_words(line):
    return [w for w in re.split("[" + re.escape(C_SPACE) + "]+", line) if w]


def attackers(board, target, by_white):
    """Squares of the pieces of one colour that attack `target` on a board of chessrules letters."""
    found = []
    tf, tr = target % 8, target // 8
    for s, c in enumerate(board):
        if c == "." or c.isupper() != by_white:
            continue
        f, r, p = s % 8, s // 8, c.upper()
        df, dr = tf - f, tr - r
        if p == "P":
            hit = abs(df) == 1 and dr == (1 if by_white else -1)
        elif p == "N":
            hit = {abs(df), abs(dr)} == {1, 2}
        elif p == "K":
            hit = max(abs(df), abs(dr)) == 1
        else:
            straight, diagonal = df == 0 or dr == 0, abs(df) == abs(dr)
            hit = (df, dr) != (0, 0) and ((p in "RQ" and straight) or (p in "BQ" and diagonal))
            if hit:
                sf, sr = (df > 0) - (df < 0), (dr > 0) - (dr < 0)
                x, y = f + sf, r + sr
                while (x, y) != (tf, tr):
                    if board[y * 8 + x] != ".":
                        hit = False
                        break
                    x, y = x + sf, y + sr
        if hit:
            found.append(s)
    return found


def engine_fen(text):
    """The position the engine's FEN reader sets up from `text` (with the en-passant square it
    keeps), or None when it refuses the text."""
    text = text.split("\0", 1)[0]
    if len(text) < 10:
        return None
    t, p = text + "\0", 0
    while t[p] == " ":
        p += 1
    board = ["."] * 64
    for rank in range(7, -1, -1):
        if rank != 7:
            if t[p] != "/":
                return None
            p += 1
        f = 0
        while f < 8:
            c = t[p]
            p += 1
            if "0" <= c <= "9":
                if c in "09":
                    return None
                f += ord(c) - 48
            elif c == " ":
                f += 1
            elif c in "PNBRQKpnbrqk":
                board[rank * 8 + f] = c
                f += 1
            else:
                return None
    if board.count("K") != 1 or board.count("k") != 1 or board.count("P") > 8 or board.count("p") > 8:
        return None
    if any(board[s] in "Pp" for s in list(range(8)) + list(range(56, 64))):
        return None
    while t[p] == " ":
        p += 1
    if t[p] not in "wWbB" or t[p] == "\0":
        return None
    white = t[p] in "wW"
    p += 1
    while t[p] == " ":
        p += 1
    rights = ""
    if t[p] == "-":
        p += 1
    else:
        while t[p] != " ":
            if t[p] not in "KQkq" or t[p] == "\0":
                return None
            rights += t[p]
            p += 1
    while t[p] == " ":
        p += 1
    if t[p] == "-":
        ep_file = None
    elif "a" <= t[p] <= "h":
        ep_file = ord(t[p]) - 97
    else:
        return None
    king, their_king = board.index("K" if white else "k"), board.index("k" if white else "K")
    if attackers(board, their_king, white) or len(attackers(board, king, not white)) > 2:
        return None
    ep = None
    if ep_file is not None:
        mover_white = not white
        to, over, origin = ((ep_file + 8 * r) for r in ((3, 2, 1) if mover_white else (4, 5, 6)))
        if board[to] == ("P" if mover_white else "p") and board[over] == board[origin] == ".":
            before = board[:]
            before[origin], before[to] = before[to], "."
            if not attackers(before, king, mover_white):
                ep = over
    rows = []
    for r in range(7, -1, -1):
        rows.append(re.sub(r"\.+", lambda m: str(len(m.group())), "".join(board[r * 8:r * 8 + 8])))
    castling = "".join(c for c in "KQkq" if c in rights) or "-"
    return cr.Position("%s %s %s %s" % ("/".join(rows), "w" if white else "b", castling,
                                        cr.sqname(ep) if ep is not None else "-"))


def engine_move(word, pos):
    """The legal move the engine reads from a coordinate word in `pos`, or None."""
    if len(word) < 4:
        return None
    ff, fr = ord(word[0].upper()) - 65, ord(word[1]) - 49
    tf, tr = ord(word[2].upper()) - 65, ord(word[3]) - 49
    if not all(0 <= x <= 7 for x in (ff, fr, tf, tr)):
        return None
    frm, to = fr * 8 + ff, tr * 8 + tf
    piece = pos.b[frm].upper()
    if piece == ".":
        return None
    move = cr.Move(frm, to)
    if piece == "P" and not (ff != tf and pos.b[to] == ".") and tr in (0, 7):
        if len(word) < 5 or word[4] not in "nbrq":
            return None
        move = cr.Move(frm, to, word[4])
    elif piece == "K":
        # The castling words name no colour: either king's word castles the side to move.
        castle = word[:5].lower() in ("e1g1", "e8g8", "e1c1", "e8c8")
        if castle:
            side = 2 if word[2].lower() == "g" else -2
            home = 4 if pos.white else 60
            move = cr.Move(home, home + side)
            if pos.b[home] != ("K" if pos.white else "k"):
                return None
        elif abs(to - frm) == 2 and fr == tr:
            return None  # read as a plain king move, which is never two squares
    return move if move in pos.legal_moves() else None


def uci_position(line):
    """What a "position" line does: ("set", Position), ("kept", None) or ("unknown", None)."""
    words = c_words(line)
    at = 1
    if at < len(words) and words[at] == "startpos":
        fen, at = START, at + 1
    elif at < len(words) and words[at] == "fen":
        at += 1
        fields = []
        while at < len(words) and words[at] != "moves":
            fields.append(words[at])
            at += 1
        fen = " ".join(fields)
    else:
        return "kept", None
    if at < len(words) and words[at] != "moves":
        return "kept", None
    pos = engine_fen(fen)
    if pos is None:
        return "kept", None
    if len(words) - at - 1 > 500:
        return "unknown", None  # near the length of game the record holds
    for word in words[at + 1:]:
        move = engine_move(word, pos)
        if move is None:
            return "kept", None
        pos = pos.push(move)
    return "set", pos


def parse_move(text, pos):
    """A move as the engine writes it (e2e4, e7e8q, e1g1), if legal in `pos`."""
    m = re.fullmatch(r"([a-h][1-8])([a-h][1-8])([qrbn]?)", text)
    if not m:
        return None
    move = cr.Move(cr.sq(m.group(1)), cr.sq(m.group(2)), m.group(3))
    return move if move in pos.legal_moves() else None


# ------------------------------------------------------------------------------------------------
# Referees: they read the transcript and tell what went wrong.

FEN_LINE = re.compile(r"^([pnbrqkPNBRQK1-8]+(?:/[pnbrqkPNBRQK1-8]+){7}) ([wb]) ([KQkq]+|-) ([a-h][36]|-) ?$")
MOVE_LINE = re.compile(r"^(?:move|\d+\. \.\.\.) (\S+)$")


def judge_xboard(received):
    """Moves against the last position the engine printed; printed positions against the reader."""
    problems = []
    pos = None
    for _, line in received:
        m = FEN_LINE.match(line)
        if m:
            shown = " ".join(m.groups())
            pos = engine_fen(shown)
            if pos is None:
                problems.append("engine stands on a position its reader refuses: " + shown)
            elif " ".join(pos.fen().split()[:4]) != shown:
                # Judged from here on as the reader would have set it up.
                problems.append("engine stands on a position its reader sets up otherwise: %s (read as %s)"
                                % (shown, " ".join(pos.fen().split()[:4])))
            continue
        if line.startswith(("Looking for ", "No best move provided")):
            pos = None  # a test suite is running on its own positions
            continue
        if pos is None:
            continue
        m = MOVE_LINE.match(line)
        if m:
            move = parse_move(m.group(1), pos)
            if move is None:
                problems.append("illegal move %s in %s" % (m.group(1), pos.fen()))
                pos = None
            else:
                pos = pos.push(move)
        elif line.startswith("Pondering move  : "):
            word = line.split(":", 1)[1].strip()
            if parse_move(word, pos) is None:
                problems.append("ponders on illegal move %s in %s" % (word, pos.fen()))
        elif line.startswith("I have correctly predicted "):
            move = parse_move(line.split()[4], pos)
            pos = pos.push(move) if move else None
        elif line in ("1-0 {White mates}", "0-1 {Black mates}", "1/2-1/2 {Stalemate}"):
            mated_side_white = line.startswith("0-1")
            ok = not pos.legal_moves() and (pos.in_check() == (line != "1/2-1/2 {Stalemate}"))
            if line != "1/2-1/2 {Stalemate}":
                ok = ok and pos.white == mated_side_white
            if not ok:
                problems.append("result %s claimed in %s" % (line, pos.fen()))
    return problems


def judge_uci(sent, received):
    """Each bestmove against the positions its go may have searched: the one set up before it,
    or, for lines sent while a search ran (ignored then, or read after it), any of them."""
    problems = []
    events = sorted([(t, 0, line) for t, line in sent] + [(t, 1, line) for t, line in received])
    start = cr.Position(START + " 0 1")
    candidates = [start]
    pending = []  # the candidate positions of each go not yet answered
    for _, incoming, line in events:
        if not incoming:
            line = line.rstrip("\r")
            if len(line) > 8192:
                continue  # dropped whole
            line = line.replace("\0", " ")  # read as a blank
            words = c_words(line)
            if not words:
                continue
            outcome, pos = "kept", None
            if words[0] == "position":
                outcome, pos = uci_position(line)
            elif words[0] == "ucinewgame":
                outcome, pos = "set", start
            elif words[0] == "go":
                pending.append(list(candidates))
            if outcome != "kept":  # an unknown position (None) fits any move
                candidates = candidates + [pos] if pending else [pos]
            continue
        words = line.split()
        if not words or words[0] != "bestmove" or not pending:
            continue
        best = words[1] if len(words) > 1 else ""
        reply = words[3] if len(words) > 3 and words[2] == "ponder" else None

        def fits(pos):
            if pos is None:
                return True
            if best == "0000":
                return not pos.legal_moves()
            move = parse_move(best, pos)
            return move is not None and (reply is None or parse_move(reply, pos.push(move)) is not None)

        for k, positions in enumerate(pending):
            if any(fits(pos) for pos in positions):
                del pending[:k + 1]
                break
        else:
            problems.append("bestmove %s legal in none of the positions searched: %s"
                            % (" ".join(words[1:]), " | ".join(pos.fen() for pos in pending[0])))
            pending.pop(0)
    return problems
