// The demo story, second half (scenes 54..107): dusk at the lake, fireflies in the night
// forest, the bird's tale of the sleeping moon, the climb to the hilltop where the thin new
// moon wakes, the way home, the end (scene 103) and the nights after.
#include "tools/demogen/sounds.h"
#include "tools/demogen/story.h"

namespace {

using A = Anchor;
using S = Speaker;

}  // namespace

void add_story_part_two(std::vector<SceneDef>* out) {
    std::vector<SceneDef>& s = *out;
    s.push_back({kMeadowEvening, "ゆうやけの のはら: つぎは おつきさま", {
        say(A::child, S::child, {"おひさまが\nいなくなったら、\nつぎは おつきさまの ばん。"}),
    }, kSteps, nullptr});
    // 55..62: the lake at dusk.
    s.push_back({kLakeDusk, "みずうみ: ゆうやけいろ", {
        say(A::child, S::child, {"みずうみに\nついたよ。"}),
        say(A::water, S::narrator, {"みずうみは\nゆうやけいろに\nそまって います。"}),
    }, -1, nullptr});
    s.push_back({kLakeDusk, "みずうみ: しずか", {
        say(A::cat, S::cat, {"しーん……\nしずかだね。"}),
        go(A::water, 56, nullptr, kSplash, "みずの おと"),
    }, -1, nullptr});
    s.push_back({kLakeDusk, "みずうみ: さざなみ", {
        say(A::child, S::child, {"みずうみさん、\nおつきさまを\nしりませんか？"}),
        say(A::water, S::narrator, {"さざなみが\nちゃぷ ちゃぷ。\n「まだ まだ……」"}),
    }, -1, nullptr});
    s.push_back({kLakeDusk, "みずうみ: まだ まだ", {
        say(A::child, S::child, {"まだ まだ、\nだって。"}),
        say(A::cat, S::cat, {"まだ はやいって\nことかな。"}),
    }, -1, nullptr});
    s.push_back({kLakeDuskBird, "みずうみの ほとり: おかは あっち", {
        say(A::bird, S::bird, {"ミナ、\nおかは あっち。\nもりを ぬけた さきだよ。"}),
        say(A::child, S::child, {"もう いちど\nもりを とおるの？"}),
    }, -1, nullptr});
    s.push_back({kLakeDuskBird, "みずうみの ほとり: ほたる", {
        say(A::bird, S::bird, {"よるの もりは\nほたるが いて\nきれいだよ。"}),
        say(A::cat, S::cat, {"{40}ほたる！"}),
    }, -1, nullptr});
    s.push_back({kLakeDuskBird, "みずうみの ほとり: こわくない", {
        go(A::bird, 61, nullptr, kChirp, "ピピが さえずる"),
        say(A::child, S::child, {"ピピが いれば\nこわくないね。"}),
    }, -1, nullptr});
    s.push_back({kLakeDuskBird, "みずうみの ほとり: いこう", {
        say(A::child, S::child, {"{40}いこう！"}),
    }, kSteps, nullptr});
    // 63..72: the forest at dusk and at night.
    s.push_back({kForestDusk, "ゆうがたの もり", {
        say(A::child, S::child, {"だんだん\nくらく なってきた。"}),
        say(A::cat, S::cat, {"ぼく、\nよるでも みえるよ。"}),
    }, -1, nullptr});
    s.push_back({kForestDusk, "ゆうがたの もり: ねこの め", {
        say(A::cat, S::cat, {"ねこの めは\nよるに つよいんだ。\nついて きて。"}),
        say(A::child, S::child, {"たよりに\nしてるよ、ポロ。"}),
    }, -1, nullptr});
    s.push_back({kForestDusk, "ゆうがたの もり: くろい かげ", {
        say(A::path, S::narrator, {"もりの きが\nくろい かげに\nなって いきます。"}),
    }, -1, nullptr});
    s.push_back({kForestDusk, "ゆうがたの もり: ちょっと こわい", {
        say(A::child, S::child, {"ちょっと こわい……"}),
        say(A::cat, S::cat, {"だいじょうぶ。\nぼくが いるよ。"}),
    }, -1, nullptr});
    s.push_back({kForestDusk, "ゆうがたの もり: いちばんぼし", {
        say(A::sky, S::narrator, {"そらに いちばんぼしが\nひかりました。"}),
    }, -1, "混合色表示"});
    s.push_back({kForestNight, "よるの もり: ほたる", {
        say(A::child, S::child, {"わあ……\nほたるだ！"}),
        say(A::bird, S::bird, {"ね、いったでしょ。"}),
    }, -1, nullptr});
    s.push_back({kForestNight, "よるの もり: そっと", {
        say(A::cat, S::cat, {"ひかる むし、\nつかまえたい……"}),
        say(A::child, S::child, {"だめだよ、\nそっと みようね。"}),
    }, -1, nullptr});
    s.push_back({kForestNight, "よるの もり: ふわり", {
        say(A::path, S::narrator, {"ほたるが\nふわり ふわり。\nみちを てらして くれます。"}),
    }, -1, nullptr});
    s.push_back({kForestNight, "よるの もり: ほしの みずうみ", {
        say(A::child, S::child, {"もりを ぬけたら\nまた みずうみ？"}),
        say(A::bird, S::bird, {"よるの みずうみは\nほしで いっぱい\nなんだよ。"}),
    }, -1, nullptr});
    s.push_back({kForestNight, "よるの もり: いってみよう", {
        say(A::child, S::child, {"いって みよう！"}),
    }, kSteps, nullptr});
    // 73..78: the lake at night and the tale of the moon.
    s.push_back({kLakeNight, "よるの みずうみ: ほしの かがみ", {
        say(A::child, S::child, {"ほんとうだ。\nみずうみに\nほしが いっぱい！"}),
        say(A::water, S::narrator, {"みずうみは\nほしぞらの かがみ。"}),
    }, -1, nullptr});
    s.push_back({kLakeNight, "よるの みずうみ: うつってない", {
        say(A::cat, S::cat, {"でも、\nおつきさまは\nうつってないね。"}),
        say(A::child, S::child, {"そらにも\nいないもの。"}),
    }, -1, nullptr});
    s.push_back({kLakeNight, "よるの みずうみ: おはなし", {
        say(A::bird, S::bird, {"ねえ、\nおつきさまの おはなし\nしって いる？"}),
        say(A::child, S::child, {"しらない。\nおしえて！"}),
    }, -1, nullptr});
    s.push_back({kLakeNight, "よるの みずうみ: おつきさまの おはなし (10 ページ)", {
        say(A::bird, S::bird, {"むかし むかし、\nおつきさまは まいばん\nまるく ひかって いました。",
                               "でも まるい ままだと\nとても つかれて\nしまうのです。",
                               "だから おつきさまは\nすこしずつ ほそく なって\nやすむ ことに しました。",
                               "{40}ほそく、ほそく、\nいとのように ほそく。",
                               "そして ひとばんだけ、\nすっかり みえなく なって\nぐっすり ねむるのです。",
                               "それが「しんげつ」。\nおつきさまの\nおやすみの よる。",
                               "つぎの よる、\nめを さました おつきさまは",
                               "にしの そらに\nほそい ゆびわの ような\nすがたで かおを だします。",
                               "そして また すこしずつ\nまるく なって\nいくのです。",
                               "{48}おしまい。"}),
        say(A::child, S::child, {"ゆめを みて\nいるのかな。"}),
        go(A::water, 77, "中央から端へ表示", kTwinkle, "みずうみを のぞくと ゆめの え"),
    }, -1, nullptr});
    s.push_back({kDream, "ゆめ: ねむる おつきさま", {
        say(A::moon, S::moon, {"むにゃ むにゃ……\nもうすぐ おきるよ……"}),
        say(A::sky, S::narrator, {"ゆめの なかで\nおつきさまは\nくもの ベッドで すやすや。"}),
    }, -1, "端から中央へ表示"});
    s.push_back({kLakeNight, "よるの みずうみ: ねて いたんだ", {
        say(A::child, S::child, {"そうか！\nおつきさまは\nねて いたんだ。"}),
        say(A::cat, S::cat, {"じゃあ、もうすぐ\nおきるかも！"}),
        say(A::bird, S::bird, {"にしの おかの\nてっぺんで\nまって いよう。"}),
    }, kSteps, nullptr});
    // 79..85: the climb.
    s.push_back({kHillNight, "おか: のぼる", {
        say(A::child, S::child, {"おかを のぼるよ。"}),
        say(A::cat, S::cat, {"よいしょ、\nよいしょ。"}),
    }, -1, nullptr});
    s.push_back({kHillNight, "おか: ほそい みち", {
        say(A::path, S::narrator, {"ほそい みちが\nおかの うえまで\nつづいて います。"}),
        say(A::bird, S::bird, {"あと すこし！"}),
    }, -1, nullptr});
    s.push_back({kHillNight, "おか: むらの あかり", {
        say(A::child, S::child, {"ふりかえると\nむらの あかりが\nちいさく みえる。"}),
    }, -1, nullptr});
    s.push_back({kHillNight, "おか: たかい", {
        say(A::child, S::child, {"たかい！\nむらが あんなに\nちいさい。"}),
        say(A::cat, S::cat, {"ぼく、たかい ところ\nすきだよ。"}),
    }, -1, nullptr});
    s.push_back({kHillNight, "おか: くたくた", {
        say(A::cat, S::cat, {"あしが\nくたくた……"}),
        say(A::child, S::child, {"がんばれ、ポロ。\nもう すこし。"}),
    }, -1, nullptr});
    s.push_back({kHillNight, "おか: てっぺんが みえた", {
        say(A::bird, S::bird, {"てっぺんが\nみえたよ！"}),
        go(A::cat, 84, nullptr, kMeow, "ポロが なく"),
    }, -1, nullptr});
    s.push_back({kHillNight, "おか: せーの", {
        say(A::child, S::child, {"いくよ、\nせーの！"}),
    }, kTwinkle, "混合色表示"});
    // 86..95: the hilltop; reaching it makes the crossroads' forest way lead straight here.
    s.push_back({kHilltop, "おかの てっぺん", {
        say(A::child, S::child, {"ついた！\nおかの てっぺん！"}),
        say(A::rock, S::narrator, {"おおきな いわの うえで\nみんなで そらを\nみあげました。"}),
        say(A::bird, S::bird, {"ここで まとう。"}),
    }, -1, nullptr});
    s.push_back({kHilltop, "おかの てっぺん: まだ かな", {
        say(A::child, S::child, {"おつきさま、\nまだ かな……",
                                 "かえりたく なったら\nひだりしたの みちを\nおりれば わかれみちだよ。"}),
        say(A::cat, S::cat, {"ねむく なって\nきちゃった……"}),
        go(A::path, 26, "下から表示", kSteps, "ひだりしたの みち: わかれみちへ もどる"),
    }, -1, "白色から表示"});
    s.push_back({kHilltopCrescent, "おかの てっぺん: あそこ", {
        say(A::child, S::child, {"あっ！ あそこ！\nにしの そらの\nひくい ところ！"}),
        go(A::moon, 88, nullptr, kChime, "おつきさまが ひかる"),
    }, -1, nullptr});
    s.push_back({kHilltopCrescent, "おかの てっぺん: ほそい おつきさま", {
        say(A::cat, S::cat, {"ほそい……\nいとみたいな\nおつきさま。"}),
        say(A::child, S::child, {"おつきさま、\nおきたんだね！"}),
    }, -1, nullptr});
    s.push_back({kHilltopCrescent, "おかの てっぺん: ふわあ", {
        say(A::moon, S::moon, {"……ふわあ。\nよく ねた。"}),
        say(A::child, S::child, {"おつきさまが\nしゃべった！"}),
    }, -1, nullptr});
    s.push_back({kHilltopCrescent, "おかの てっぺん: おやすみの ひ", {
        say(A::moon, S::moon, {"きのうは\nおやすみの ひ\nだったの。"}),
    }, -1, nullptr});
    s.push_back({kHilltopMoon, "おつきさまと はなす", {
        say(A::moon, S::moon, {"さがしに きて\nくれたの？\nありがとう。"}),
        say(A::child, S::child, {"うん！\nポロと ピピと\nいっしょに きたの。"}),
    }, -1, nullptr});
    s.push_back({kHilltopMoon, "おつきさまと はなす: また まるく", {
        say(A::moon, S::moon, {"わたしは いなく\nなったりしないよ。",
                               "ほそく なって、\nまた まるく なる。\nまいばん すこしずつ。"}),
        say(A::bird, S::bird, {"よかったね、ミナ。"}),
    }, -1, nullptr});
    s.push_back({kHilltopMoon, "おつきさまと はなす: おかえり", {
        say(A::child, S::child, {"また まるく なったら\nあいに くるね。"}),
        say(A::moon, S::moon, {"まってるよ。\nさあ、おかえり。\nみちを てらして あげる。"}),
    }, -1, nullptr});
    s.push_back({kHilltopMoon, "おつきさまと はなす: かえろう", {
        say(A::cat, S::cat, {"かえろう、ミナ。\nおなか すいた。"}),
        say(A::child, S::child, {"ふふ。\nかえろう！"}),
        go(A::moon, 95, nullptr, kChime, "おつきさまが ひかる"),
    }, kSteps, nullptr});
    // 96..102: home under the new moon.
    s.push_back({kHillPanorama, "かえりみち: つきあかり", {
        say(A::child, S::child, {"おつきさまの ひかりで\nみちが よく みえる。"}),
        say(A::moon, S::moon, {"きを つけて\nおりるんだよ。"}),
    }, -1, nullptr});
    s.push_back({kHillPanorama, "かえりみち: また こんど", {
        say(A::cat, S::cat, {"むらの あかりが\nまってるね。"}),
        say(A::child, S::child, {"もりも かわも\nまた こんど。"}),
    }, kSteps, nullptr});
    s.push_back({kVillageNight, "よるの むら", {
        say(A::child, S::child, {"むらに\nかえって きたよ。"}),
        say(A::moon, S::narrator, {"ほそい おつきさまが\nやねの うえで\nにっこり。"}),
    }, -1, nullptr});
    s.push_back({kVillageNight, "よるの むら: おかえり", {
        say(A::window, S::narrator, {"まどから おばあさんが\n「おかえり。\nあえたかい？」"}),
        say(A::child, S::child, {"うん！\nおつきさま、\nねてた だけ だったの。"}),
    }, kSteps, nullptr});
    s.push_back({kHomeNight, "おうち: ただいま", {
        say(A::child, S::child, {"{40}ただいま！"}),
        go(A::door, 100, nullptr, kDoor, "とびらの おと"),
        say(A::bird, S::bird, {"おやすみ、ミナ。\nおやすみ、ポロ。"}),
    }, -1, nullptr});
    s.push_back({kHomeNight, "おうち: たのしかったね", {
        say(A::moon, S::moon, {"おやすみなさい。"}),
        say(A::cat, S::cat, {"ぼく、もう\nねむくて……"}),
        say(A::child, S::child, {"きょうは\nたのしかったね。"}),
    }, -1, "白色混合色から白色そして表示"});
    s.push_back({kRoomMoon, "おへや: おやすみなさい", {
        say(A::child, S::narrator, {"ミナは ふとんに はいって\nまどの おつきさまに\nおやすみなさい。"}),
        say(A::cat, S::narrator, {"ポロも まるくなって\nすう すう すう。"}),
        say(A::moon, S::moon, {"いい ゆめを。"}),
    }, -1, nullptr});
    // 103: the end. Area 0 (the moon) starts the staff roll instead of its balloon.
    s.push_back({kHomeNight, "おしまい", {
        say(A::moon, S::moon, {"おしまい。\nまた あした。"}),
        say(A::child, S::child, {"おつきさまを おすと\nおはなしは おしまい。",
                                 "みぎうえの かどを おすと\nつぎの よるの おはなし。"}),
        go(A::cat, 103, nullptr, kMeow, "ポロが なく"),
    }, -1, nullptr});
    // 104..107: the nights after.
    s.push_back({kHomeHalf, "なのかご: はんぶん", {
        say(A::sky, S::narrator, {"それから なのか たって。"}),
        say(A::child, S::child, {"おつきさま、\nはんぶんに なったね。"}),
        say(A::moon, S::moon, {"こんばんは、ミナ。\nまた すこし\nふとったでしょう？"}),
    }, -1, nullptr});
    s.push_back({kHomeHalf, "なのかご: つぎは まんまる", {
        say(A::cat, S::cat, {"つぎは\nまんまる？"}),
        say(A::moon, S::moon, {"もう なのか\nまってね。"}),
    }, -1, nullptr});
    s.push_back({kHomeFull, "まんげつ", {
        say(A::sky, S::narrator, {"そして また\nなのか たって。"}),
        say(A::moon, S::moon, {"{48}まんまる だよ！"}),
        say(A::child, S::child, {"まんまるの\nおつきさま！\nきれい！"}),
    }, -1, nullptr});
    s.push_back({kHomeFull, "まんげつ: おつきみ", {
        say(A::bird, S::bird, {"みんなで\nおつきみ しよう。"}),
        say(A::cat, S::cat, {"おだんご\nたべたい！"}),
        go(A::moon, 107, nullptr, kTwinkle, "おつきさまが ひかる"),
        go(A::next, 103, "混合色表示", -1, "おしまいの ページへ"),
    }, -1, nullptr});
}
