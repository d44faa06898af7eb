"""An engine of the match runner (scripts/match.py) that can ponder, and that keeps, for each of its
moves, the clock it had left and the depth of the last thinking line it printed.

It extends the Engine class of the shared headless runner (../shared/tools/match.py, loaded here as
`shared`), which plays the game, keeps the clocks and reads the engine's output through a reader
thread, one queue per engine. What is added:

* Pondering, xboard: `hard` is sent after `easy`. The engine then thinks while its opponent does;
  its output waits in its queue and is read just before the opponent's move is sent to it.
* Pondering, UCI: after `bestmove X ponder Y`, `position ... X Y` and `go ponder` with the clocks
  as they stand. When the opponent plays Y: `ponderhit`, and the engine's clock runs from that
  line. Otherwise `stop`, its `bestmove` is awaited (for its clock time, at least 1 s) and dropped,
  then the usual `position` and `go`, and the clock runs from the `go`: while it stops, the
  engine knows nothing of the real move. The longest wait for a stop is kept (`slowest_stop`).
* A move (or UCI `bestmove`) that arrives while the opponent is to move is an illegal move sent out
  of turn: the engine loses the game (found out when its turn comes). The only exception is a
  second announcement of the move it has just played. A resignation, a result or an "Illegal
  move" reply met there is left for the shared runner to judge, as it would without pondering.
* Depth: the ply of the last thinking line (xboard: "ply score time nodes pv"; UCI: `info` with
  `depth` and `score`) since the opponent's move was sent to the engine, or since `go ponder` after
  a ponder hit. A move with no line of depth 1 or more (a book move) has no depth. Lines printed
  while an xboard engine ponders do not count: after a miss it may play from its book at once,
  and the engines tried print their lines again after a hit.
* Lowest clock: the time left on the engine's clock when its move arrived, before any increment.
"""
import importlib.util, os, queue, re, sys, time


def load_shared():
    """The shared runner, from ../shared/tools beside the repository."""
    here = os.path.dirname(os.path.abspath(__file__))
    tools = os.path.normpath(os.path.join(here, "..", "..", "shared", "tools"))
    path = os.path.join(tools, "match.py")
    if not os.path.isfile(path):
        sys.exit("the shared match runner is missing: %s" % path)
    found = importlib.util.spec_from_file_location("shared_match", path)
    module = importlib.util.module_from_spec(found)
    found.loader.exec_module(module)   # it puts its own folder on sys.path for its imports
    return module


shared = load_shared()

# "ply score time nodes pv": the ply may carry a mark ("7.", "7->", "7&") or be followed by one
# ("7 ?"); fail-high lines ("7:)  +++") and book lines of ply 0 are not searches.
XBOARD_THINKING_RE = re.compile(r"^\s*(\d+)[^\s\d]*\s+(?:[^\s\d+-]+\s+)?[+-]?\d+\s+\d+\s+\d+(?:\s|$)")


def thinking_depth(line, uci):
    """The depth a thinking line reports, or None for any other line."""
    if uci:
        words = line.split()
        if not words or words[0] != "info" or "score" not in words or "depth" not in words:
            return None
        i = words.index("depth") + 1
        depth = int(words[i]) if i < len(words) and words[i].isdigit() else 0
    else:
        m = XBOARD_THINKING_RE.match(line)
        depth = int(m.group(1)) if m else 0
    return depth if depth >= 1 else None


def game_event(line):
    """An xboard line that the shared runner acts on, other than a move."""
    s = line.strip()
    return s == "resign" or s.startswith(("resign ", "Illegal move")) or shared.RESULT_RE.match(s)


def announced_move(line, uci):
    """The move a line plays, or None."""
    s = line.strip()
    if uci:
        return s.split()[1] if s.startswith("bestmove") and len(s.split()) > 1 else None
    if s.startswith("move "):
        return s.split()[1]
    m = shared.OLD_MOVE_RE.match(s)
    return m.group(1) if m else None


class PonderingEngine(shared.Engine):
    def __init__(self, settings, log=None):
        super().__init__(settings, log)
        if not settings.get("name"):
            self.name = os.path.basename(settings["cmd"].split()[0])   # till the engine names itself
        self.uci = settings["proto"] == "uci"
        self.ponders = bool(settings.get("ponder"))
        self.ponder_searches = self.ponder_hits = 0
        self.slowest_stop = 0.0
        self.clear_game()

    def clear_game(self):
        self.depths = []          # per own move: depth or None
        self.clocks_left = []     # per own move: seconds left when it arrived
        self.last_depth = None    # of the lines read since the current phase began
        self.predicted = None     # UCI: the reply from the last bestmove
        self.pondering_on = None  # UCI: the move of the running `go ponder`
        self.played = None        # the engine's own last move, as it wrote it

    # ------------------------------------------------------------ reading
    def start(self):
        super().start()
        read, self.held = self.proc.readline, []

        def watched(timeout):
            if self.held:
                return self.held.pop()
            line = read(timeout)
            if line is not None:
                self.heard(line)
            return line
        self.proc.readline = watched

    def _wait_for(self, pred, timeout, what):
        def watching(line):               # a UCI engine gives its name before `uciok`
            if self.uci and line.startswith("id name ") and not self.spec.get("name"):
                self.name = line[8:].strip()
            return pred(line)
        return super()._wait_for(watching, timeout, what)

    def heard(self, line):
        depth = thinking_depth(line, self.uci)
        if depth is not None:
            self.last_depth = depth
        if self.uci and line.startswith("bestmove"):
            words = line.split()
            self.predicted = words[3] if len(words) > 3 and words[2] == "ponder" else None

    def read_pending(self):
        """Reads what the engine printed while its opponent was to move; raises EngineFailure on a
        move sent out of turn."""
        while True:
            try:
                line = self.proc.readline(0)
            except queue.Empty:
                return
            if line is None:
                return                # the crash shows when the engine is next waited for
            if not self.uci and game_event(line):
                self.held.append(line)    # read again, first, by the shared runner
                return
            move = announced_move(line, self.uci)
            if move and not (self.pondering_on is None and move == self.played):
                self.pondering_on = None
                raise shared.EngineFailure("illegal move %s sent out of turn" % move)

    # ------------------------------------------------------------ game
    def new_game(self, start_fen, opening, tc):
        self.pondering_on = None
        super().new_game(start_fen, opening, tc)
        self.clear_game()         # after what the set-up read of the last game's output

    def think(self, history, clocks, white_to_move):
        self.history, self.clocks = history, clocks
        self.clock_before = clocks[white_to_move]
        self.read_pending()
        ponder_depth, self.last_depth = self.last_depth, None
        if self.pondering_on is None:
            self.t0 = super().think(history, clocks, white_to_move)
            return self.t0
        pondered, self.pondering_on = self.pondering_on, None
        if history[-1][1].uci() == pondered:
            self.ponder_hits += 1
            self.last_depth = ponder_depth
            self.t0 = time.time()
            self.proc.send("ponderhit")
            return self.t0
        stopped = time.time()
        self.proc.send("stop")
        patience = max(1.0, self.clock_before)
        try:
            self._wait_for(lambda l: l.startswith("bestmove"), patience, "bestmove after stop")
        except shared.EngineFailure as ex:   # a hung engine: a time loss, and a restart
            raise shared.EngineFailure("loses on time (no bestmove %.1fs after stop)" % patience) \
                if "timeout" in str(ex) else ex
        self.slowest_stop = max(self.slowest_stop, time.time() - stopped)
        self.last_depth = None
        self.t0 = super().think(history, clocks, white_to_move)
        return self.t0

    def wait_event(self, deadline):
        event = super().wait_event(deadline)
        if event[0] in ("move", "timeout"):
            self.clocks_left.append(self.clock_before - (time.time() - self.t0))
        if event[0] == "move":
            self.played = event[1]
            self.depths.append(self.last_depth)
            self.last_depth = None
        return event

    def moved(self):
        super().moved()
        if self.ponders and self.uci and self.predicted:
            self.start_pondering(self.predicted)

    def start_pondering(self, reply):
        pos, mine = self.history[-1]
        after = pos.push(mine)
        move = after.parse_move(reply)
        if move is None:
            return                    # no legal prediction: the engine waits for the real move
        moves = [m.uci() for _, m in self.history] + [move.uci()]
        start = "startpos" if self.start_fen.split()[:4] == shared.START_FEN.split()[:4] else "fen " + self.start_fen
        self.proc.send("position %s moves %s" % (start, " ".join(moves)))
        self.proc.send("go ponder " + self.uci_clocks(len(moves)))
        self.pondering_on = move.uci()
        self.ponder_searches += 1

    def uci_clocks(self, plies):
        """The clock part of `go` for the engine to move after `plies` half-moves of the game."""
        mps, base, inc = self.tc
        text = "wtime %d btime %d" % (max(1, self.clocks[True] * 1000), max(1, self.clocks[False] * 1000))
        if inc:
            text += " winc %d binc %d" % (round(inc * 1000), round(inc * 1000))
        if mps:
            ply = plies + (0 if shared.Position(self.start_fen).white else 1)
            text += " movestogo %d" % (mps - (ply // 2) % mps)
        return text

    def game_over(self, result, reason):
        self.pondering_on = None
        super().game_over(result, reason)
