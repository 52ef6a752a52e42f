#include "app/nboard_ggf.hpp"

#include "game/ggf_reader.hpp"

namespace orvanta {

std::variant<NboardGame, std::string> readNboardGame(std::string_view text) {
    const auto read = readGgf(text);
    if (const auto* error = std::get_if<GgfError>(&read)) {
        return error->what;
    }
    const auto& games = std::get<std::vector<GgfGame>>(read);
    if (games.size() != 1) {
        return std::string(games.empty() ? "no game" : "more than one game");
    }
    const GgfGame& ggf = games.front();
    NboardGame game{engine::GameState(ggf.start), ggf.timeLimit, {}};
    for (std::size_t i = 0; i < ggf.moves.size(); ++i) {
        game.timeUsed[static_cast<std::size_t>(game.state.toMove())] += ggf.moveSeconds[i];
        game.state.play(ggf.moves[i]);  // legal: the reader checked every move
    }
    return game;
}

}  // namespace orvanta
