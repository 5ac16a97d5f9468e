// The demo story, first half (scenes 0..53): the moon is missing; Mina and her cat Poro set
// out in the morning, cross the village and the meadow, choose a way at the crossroads and
// walk through the forest and over the river until the lake at dusk.
#include "tools/demogen/sounds.h"
#include "tools/demogen/story.h"

namespace {

using A = Anchor;
using S = Speaker;

}  // namespace

void add_story_part_one(std::vector<SceneDef>* out) {
    std::vector<SceneDef>& s = *out;
    // 0: the title page.
    s.push_back({kHomeDusk, "ひょうし: ミナと ポロと おつきさま", {
        say(A::child, S::child, {"わたしは ミナ。\nこっちは ねこの ポロ。",
                                 "えの なかの ひとや\nものを クリックすると\nおはなしが きけるよ。",
                                 "みぎうえの かどは つぎへ、\nひだりうえの かどは\nまえの ページへ。"}),
        say(A::cat, S::cat, {"ニャ。\nポロだよ。よろしくね。"}),
        say(A::sky, S::narrator, {"ゆうやけ こやけ。\nもうすぐ よるが きます。"}),
        go(A::back, 0, nullptr, kChime, "この ページの まま、すずの おと"),
    }, -1, "白色混合色から白色そして表示"});
    // 1..3: that night.
    s.push_back({kRoomNight, "そのよる: おつきさまが いない", {
        say(A::child, S::child, {"あれ？\nおそらに おつきさまが\nいない。",
                                 "きのうの よるは\nほそい ほそい\nおつきさま だったのに。"}),
        say(A::window, S::narrator, {"まどの そとは ほしばかり。\nおつきさまは どこにも\nみえません。"}),
        go(A::cat, 1, nullptr, kMeow, "ポロが なく"),
    }, -1, nullptr});
    s.push_back({kRoomNight, "そのよる: やくそく", {
        say(A::cat, S::cat, {"おつきさま、\nどこかへ おでかけ\nしちゃったのかな。"}),
        say(A::child, S::child, {"あした、さがしに いこう。\nポロも いっしょに\nきてくれる？", "{44}やくそく だよ！"}),
    }, -1, nullptr});
    s.push_back({kRoomBed, "そのよる: おやすみ", {
        say(A::child, S::narrator, {"ミナは ふとんに はいって\nおつきさまの ゆめを\nみました。"}),
        say(A::cat, S::narrator, {"ポロも まるくなって\nすう すう すう。"}),
        say(A::window, S::narrator, {"ほしたちが\nちか ちか ちか。"}),
    }, kChime, "白色から表示"});
    // 4..9: the morning at home.
    s.push_back({kHomeMorning, "あさ: しゅっぱつ", {
        say(A::child, S::child, {"おはよう！\nいい おてんき。\nさあ、しゅっぱつ！"}),
        say(A::bird, S::bird, {"おはよう、ミナ。\nおはよう、ポロ。\nわたしは ことりの ピピ。"}),
        go(A::door, 4, nullptr, kDoor, "とびらの おと"),
        go(A::cat, 4, nullptr, kMeow, "ポロが なく"),
    }, -1, nullptr});
    s.push_back({kHomeMorning, "あさ: ピピに きく", {
        say(A::child, S::child, {"ねえ ピピ、\nおつきさまを しらない？\nゆうべ いなかったの。"}),
        say(A::bird, S::bird, {"おつきさま？\nうーん、わたしは\nよるは ねているから……",
                               "むらの みんなに\nきいて みたら？"}),
    }, -1, nullptr});
    s.push_back({kHomeMorning, "あさ: おにぎり", {
        say(A::cat, S::cat, {"そのまえに、\nあさごはん！"}),
        say(A::child, S::child, {"もう、ポロったら。\nおにぎりを もったから\nあとで たべようね。"}),
    }, -1, nullptr});
    s.push_back({kGardenDay, "にわ: きの うえの ピピ", {
        say(A::child, S::child, {"あっ、ピピが\nきの うえに いる。"}),
        say(A::bird, S::bird, {"ここから むらが\nよく みえるよ。\nいってらっしゃい！"}),
        say(A::tree, S::narrator, {"おおきな きは\nさわさわ ゆれて\n「いってらっしゃい」。"}),
    }, -1, nullptr});
    s.push_back({kGardenDay, "にわ: はやく はやく", {
        say(A::cat, S::cat, {"ミナ、はやく はやく！"}),
        say(A::child, S::child, {"まってよ、ポロ。\nさくの よこを とおって\nむらへ いこう。"}),
        go(A::bird, 8, nullptr, kChirp, "ピピが さえずる"),
    }, -1, nullptr});
    s.push_back({kGardenDay, "にわ: いってきます", {
        say(A::child, S::child, {"{40}いってきまーす！"}),
        say(A::path, S::narrator, {"みちは むらへ\nつづいて います。"}),
    }, kSteps, nullptr});
    // 10..19: the village.
    s.push_back({kVillageDay, "むら: パンやさんの におい", {
        say(A::child, S::child, {"むらに ついたよ。\nパンやさんの\nいい におい。"}),
        say(A::cat, S::cat, {"くん くん。\nいい におい……"}),
    }, -1, nullptr});
    s.push_back({kVillageDay, "むら: パンやさんに きく", {
        say(A::child, S::child, {"パンやさん、\nおつきさまを\nみませんでしたか？",
                                 "「おつきさま？\nゆうべは みなかったねえ。」"}),
        go(A::door, 11, nullptr, kDoor, "パンやさんの とびら"),
    }, -1, nullptr});
    s.push_back({kVillageDay, "むら: どうしよう", {
        say(A::child, S::child, {"みんな しらないって。\nどうしよう、ポロ。"}),
        say(A::cat, S::cat, {"にしの ほうへ\nいって みようよ。\nおかの ほうへ。"}),
    }, -1, nullptr});
    s.push_back({kVillageDay, "むら: まどの おばあさん", {
        say(A::window, S::narrator, {"まどから おばあさんが\nかおを だしました。",
                                     "「おつきさまはね、\nときどき かくれんぼ\nするのさ。」"}),
        say(A::child, S::child, {"おばあさん、\nおつきさまは\nどこへ いったの？"}),
    }, -1, nullptr});
    s.push_back({kVillageDay, "むら: にしの おか", {
        say(A::window, S::narrator, {"「にしの おかの\nてっぺんで まって ごらん。\nきっと あえるよ。」"}),
        say(A::cat, S::cat, {"かくれんぼ？"}),
    }, -1, nullptr});
    s.push_back({kVillageSquare, "ひろば: ピピが くる", {
        say(A::child, S::child, {"にしの おか……\nとおいのかな。"}),
        say(A::bird, S::bird, {"ピピも いっしょに\nいくよ！\nそらから みちあんない。"}),
    }, -1, nullptr});
    s.push_back({kVillageSquare, "ひろば: ありがとう", {
        say(A::child, S::child, {"ありがとう、ピピ！"}),
        go(A::cat, 16, nullptr, kMeow, "ポロが なく"),
        say(A::path, S::narrator, {"むらの ひろばを ぬけて\nのはらへ。"}),
    }, -1, nullptr});
    s.push_back({kVillageSquare, "ひろば: わかれみち", {
        say(A::bird, S::bird, {"のはらを こえたら\nわかれみちが あるよ。"}),
        say(A::child, S::child, {"わかれみち？"}),
    }, -1, nullptr});
    s.push_back({kVillageSquare, "ひろば: ふたつの みち", {
        say(A::bird, S::bird, {"ひだりは もりの みち、\nみぎは かわの みち。\nどっちも おかへ いけるよ。"}),
    }, -1, nullptr});
    s.push_back({kVillageSquare, "ひろば: しゅっぱつ", {
        say(A::child, S::child, {"さあ、のはらへ\nしゅっぱつ！"}),
    }, kSteps, nullptr});
    // 20..25: the meadow.
    s.push_back({kMeadowDay, "のはら: おはな いっぱい", {
        say(A::child, S::child, {"わあ、おはなが\nいっぱい！"}),
        say(A::cat, S::cat, {"ちょうちょ、\nまてまてー！"}),
        go(A::bird, 20, nullptr, kChirp, "ピピが さえずる"),
    }, -1, nullptr});
    s.push_back({kMeadowDay, "のはら: まだ まだ", {
        say(A::child, S::child, {"ピピ、\nおかは まだ？"}),
        say(A::bird, S::bird, {"まだ まだ。\nおひさまが かたむく\nころに つくよ。"}),
    }, -1, kUnknownTransition});
    s.push_back({kMeadowDay, "のはら: いっぽんの き", {
        say(A::tree, S::narrator, {"いっぽんの きが\nぽつんと たって います。"}),
        say(A::child, S::child, {"あの きの したで\nひとやすみ しよう。"}),
    }, -1, nullptr});
    s.push_back({kMeadowRest, "のはら: はんぶんこ", {
        say(A::child, S::child, {"おにぎり、\nはんぶん こ。"}),
        say(A::cat, S::cat, {"{44}おいしい！"}),
    }, -1, nullptr});
    s.push_back({kMeadowRest, "のはら: こんぺいとう", {
        say(A::child, S::child, {"ねえ ポロ、\nおつきさまって\nなにを たべるのかな。"}),
        say(A::cat, S::cat, {"きっと ほしの\nこんぺいとう だよ。"}),
    }, -1, nullptr});
    s.push_back({kMeadowRest, "のはら: もうすぐ わかれみち", {
        say(A::child, S::child, {"さあ、いこう。\nわかれみちは\nもうすぐ。"}),
    }, kSteps, nullptr});
    // 26: the crossroads. Area 0 (the forest way) becomes a short way up the hill once the
    // hilltop (scene 86) has been reached.
    s.push_back({kCrossroads, "わかれみち", {
        go(A::path, 27, "上から表示", kSteps, "ひだりの みち: もりへ (おかへ ついた あとは おかの うえへ)"),
        go(A::path2, 37, "右から表示", kSteps, "みぎの みち: かわへ"),
        say(A::sign, S::narrator, {"ひだり: もりの みち\nみぎ: かわの みち\nどちらも おかへ"}),
        say(A::bird, S::bird, {"ひだりの もりは\nすこし とおまわり。\nみぎの かわは ちかみち。"}),
        say(A::child, S::child, {"どっちに しようかな。\nみちしるべを\nよんで みよう。"}),
    }, kSteps, nullptr});
    // 27..36: the forest.
    s.push_back({kForestDay, "もり: すずしい", {
        say(A::child, S::child, {"もりの なかは\nすずしいね。"}),
        say(A::cat, S::cat, {"きの においが\nするね。"}),
        say(A::tree, S::narrator, {"こもれびが\nきら きら。"}),
    }, -1, nullptr});
    s.push_back({kForestDay, "もり: こだま", {
        say(A::child, S::child, {"{40}おーい、\nおつきさまー！"}),
        say(A::tree, S::narrator, {"「……さまー」\nこだまが かえって\nきました。"}),
    }, -1, nullptr});
    s.push_back({kForestDay, "もり: もっと おくへ", {
        say(A::cat, S::cat, {"こだまさんも\nしらないみたい。"}),
        say(A::child, S::child, {"もっと おくへ\nいって みよう。"}),
    }, -1, nullptr});
    s.push_back({kForestDay, "もり: くねくね みち", {
        say(A::path, S::narrator, {"みちは くねくね\nもりの おくへ。"}),
        say(A::child, S::child, {"ポロ、\nはなれないでね。"}),
    }, -1, nullptr});
    s.push_back({kForestDay, "もり: ピピは どこ", {
        go(A::cat, 31, nullptr, kMeow, "ポロが なく"),
        say(A::child, S::child, {"あれ？ ピピは\nどこ？"}),
    }, -1, nullptr});
    s.push_back({kForestDeep, "もりの おく: ここだよ", {
        say(A::bird, S::bird, {"ここだよー！\nきの うえから\nみてたの。"}),
        say(A::child, S::child, {"よかった！"}),
    }, -1, nullptr});
    s.push_back({kForestDeep, "もりの おく: はしを わたって", {
        say(A::bird, S::bird, {"この さきに\nかわが あるよ。\nはしを わたってね。"}),
        say(A::cat, S::cat, {"はし……\nゆれないかなあ。"}),
    }, -1, nullptr});
    s.push_back({kForestDeep, "もりの おく: ふくろうさん", {
        say(A::child, S::child, {"もりの どうぶつさんも\nおつきさまを\nさがしてるのかな。"}),
        say(A::cat, S::cat, {"ふくろうさんは\nよる おつきさまと\nなかよし なんだって。"}),
    }, -1, nullptr});
    s.push_back({kForestDeep, "もりの おく: ホウ", {
        say(A::tree, S::narrator, {"とおくで ふくろうが\nホウ、と なきました。"}),
        say(A::child, S::child, {"よるに なったら\nあえるかも。"}),
    }, -1, nullptr});
    s.push_back({kForestDeep, "もりの おく: みずの おと", {
        say(A::child, S::child, {"あっ、みずの おとが\nきこえる！"}),
    }, kSplash, nullptr});
    // 37..50: the river and the bridge.
    s.push_back({kRiver, "かわ: つめたそう", {
        say(A::child, S::child, {"{40}かわだ！"}),
        say(A::cat, S::cat, {"みず、\nつめたそう……"}),
        go(A::water, 37, nullptr, kSplash, "みずの おと"),
    }, -1, nullptr});
    s.push_back({kRiver, "かわ: さかな", {
        say(A::child, S::child, {"さかなが\nはねたよ！"}),
        say(A::water, S::narrator, {"ぴちゃん！\nさかなが ひかって\nまた もぐりました。"}),
    }, -1, nullptr});
    s.push_back({kRiver, "かわ: みずが にがて", {
        say(A::cat, S::cat, {"ねこは みずが\nにがて なんだ。"}),
        say(A::child, S::child, {"だいじょうぶ、\nはしを わたろう。"}),
    }, -1, nullptr});
    s.push_back({kRiver, "かわ: みずに うつる そら", {
        say(A::child, S::child, {"かわの みずに\nおそらが うつってる。",
                                 "よるに なったら\nおつきさまも\nうつるのかな。"}),
        go(A::water, 40, nullptr, kSplash, "みずの おと"),
    }, -1, nullptr});
    s.push_back({kRiver, "かわ: はしは どこ", {
        say(A::child, S::child, {"はしは どこかな。\nかわに そって\nあるいて みよう。"}),
    }, kSteps, nullptr});
    s.push_back({kBridge, "はし: きらきら", {
        say(A::child, S::child, {"はしの うえから\nみると、\nかわが きらきら！"}),
        say(A::cat, S::cat, {"ゆれる……\nこわいよう。"}),
    }, -1, nullptr});
    s.push_back({kBridge, "はし: ゆっくり", {
        say(A::water, S::narrator, {"はしの したを\nかわが さらさら\nながれて いきます。"}),
        say(A::child, S::child, {"ゆっくり\nわたろうね。"}),
    }, -1, nullptr});
    s.push_back({kBridge, "はし: わたれた", {
        say(A::cat, S::cat, {"{40}わたれた！"}),
        say(A::path, S::narrator, {"はしを わたると\nのはらの むこうに\nみずうみが みえます。"}),
    }, -1, nullptr});
    s.push_back({kBridge, "はし: みずうみは まだ", {
        say(A::child, S::child, {"ピピ、\nみずうみは まだ？"}),
    }, -1, nullptr});
    s.push_back({kBridgeBird, "はしの そば: そらから", {
        say(A::bird, S::bird, {"ここだよ！\nそらから みると\nみずうみが みえるよ。"}),
        say(A::child, S::child, {"ピピ、\nおつきさま みえる？"}),
    }, -1, nullptr});
    s.push_back({kBridgeBird, "はしの そば: あかい そら", {
        say(A::bird, S::bird, {"ううん。\nでも にしの そらが\nすこし あかく なってきた。"}),
    }, -1, nullptr});
    s.push_back({kBridgeBird, "はしの そば: いそごう", {
        say(A::child, S::child, {"ゆうがたに なるね。\nいそごう。"}),
        go(A::cat, 48, nullptr, kMeow, "ポロが なく"),
    }, -1, nullptr});
    s.push_back({kBridgeBird, "はしの そば: さようなら", {
        go(A::water, 49, nullptr, kSplash, "みずの おと"),
        say(A::child, S::child, {"かわさん、\nさようなら。"}),
    }, -1, nullptr});
    s.push_back({kBridgeBird, "はしの そば: みずうみへ", {
        say(A::child, S::child, {"のはらを ぬけて\nみずうみへ！"}),
    }, kSteps, nullptr});
    // 51..53: the meadow at sunset.
    s.push_back({kMeadowEvening, "ゆうやけの のはら", {
        say(A::child, S::child, {"ゆうやけ きれい。"}),
        say(A::cat, S::cat, {"おそらが\nオレンジいろ。"}),
    }, -1, nullptr});
    s.push_back({kMeadowEvening, "ゆうやけの のはら: おひさま", {
        say(A::child, S::child, {"おひさまが\nかえって いく。"}),
        say(A::sky, S::narrator, {"おひさまは\nやまの むこうへ\nおやすみなさい。"}),
    }, -1, nullptr});
    s.push_back({kMeadowEvening, "ゆうやけの のはら: ながい かげ", {
        say(A::tree, S::narrator, {"きの かげが\nながく ながく\nのびて います。"}),
        say(A::cat, S::cat, {"ぼくの かげも\nのびた！"}),
    }, -1, nullptr});
}
