#include "platform/language.hpp"

#include "platform/catalogue.hpp"
#include "platform/console.hpp"

namespace orvanta::platform {

std::string_view tr(std::string_view japanese) {
    return console().english() ? englishCatalogue().find(japanese) : japanese;
}

std::string fill(std::string_view pattern, std::initializer_list<std::string_view> values) {
    std::string text;
    auto value = values.begin();
    for (std::size_t at = 0; at < pattern.size();) {
        const std::size_t hole = pattern.find("{}", at);
        if (hole == std::string_view::npos || value == values.end()) {
            text.append(pattern.substr(at));
            break;
        }
        text.append(pattern.substr(at, hole - at)).append(*value++);
        at = hole + 2;
    }
    return text;
}

namespace {

constexpr std::string_view kRepertoire =
    "─│┃┌┐└┘├┤┬┴┼○◎●　、。！（）？＊･"
    "あいうえおかがきくけこさしじすせそたちってでとどなにのはへまみめもやらりるれわをん"
    "イクゲコサジスタッテデトドニバヒピベムメモュョルレン・ー"
    "一下了人付任位作使例価個先全出分切初前動勝升合同善回報場外失始対局差常引強後悪情成戦戻"
    "所手打挟振推損攻数新日明昔更最果番白盤目相石示移空答終結置者自良葉行表見言計評説読込返通"
    "選開順黒号次覧面";

}  // namespace

std::string_view repertoire() {
    return kRepertoire;
}

}  // namespace orvanta::platform
