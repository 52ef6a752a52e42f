#include "app/nboard_ggf.hpp"

#include "game/ggf_reader.hpp"

namespace orvanta {

std::variant<engine::GameState, std::string> readNboardGame(std::string_view text) {
    const auto read = readGgf(text);
    if (const auto* error = std::get_if<GgfError>(&read)) {
        return error->what;
    }
    const auto& games = std::get<std::vector<GgfGame>>(read);
    if (games.size() != 1) {
        return std::string(games.empty() ? "no game" : "more than one game");
    }
    engine::GameState game(games.front().start);
    for (const int move : games.front().moves) {
        game.play(move);  // legal: the reader checked every move
    }
    return game;
}

}  // namespace orvanta
