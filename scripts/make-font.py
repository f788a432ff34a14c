#!/usr/bin/python3
"""Builds resources/ORVFont.ttf, the font the sheets draw their figures in.

It is VL Gothic Regular (Debian fonts-vlgothic) cut down to ASCII, kana, the punctuation and
symbols the sheets use and the kanji taught in primary school, with its family renamed to
"ORVFont". The copyright notice of the original stays in the name table; the licence goes
beside the font as resources/ORVFont-LICENSE.txt.

Its comma and full stop are narrowed to a quarter of an em, their ink centred on the new
advance: the sheets right-align grouped figures by the width of their plain digits, so a
comma as wide as a digit would push the last digit against the column rule. The digits
keep their one common width.

Run with Debian's python (python3-fonttools, which ./scripts/install-deps.sh --dev
installs):  /usr/bin/python3 scripts/make-font.py
The output is byte-for-byte the same on every run with the same source font.
"""

import os
import re
import sys

from fontTools import subset
from fontTools.ttLib import TTFont

SOURCE = "/usr/share/fonts/truetype/vlgothic/VL-Gothic-Regular.ttf"
FAMILY = "ORVFont"
ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUTPUT = os.path.join(ROOT, "resources", "ORVFont.ttf")
# Every folder of the program's own code: a new kind's folder is read without a change here.
NOT_SOURCES = {"tests", "bench", "tools", "scripts", "docs", "data", "cmake"}
TEXT_SOURCES = sorted(
    os.path.join(ROOT, d) for d in os.listdir(ROOT)
    if os.path.isdir(os.path.join(ROOT, d)) and not d.startswith((".", "build"))
    and d not in NOT_SOURCES)

# The kanji of the primary-school curriculum, by grade.
GRADES = [
    "一右雨円王音下火花貝学気九休玉金空月犬見五口校左三山子四糸字耳七車手十出女小上森人水正生青"
    "夕石赤千川先早草足村大男竹中虫町天田土二日入年白八百文木本名目立力林六",
    "引羽雲園遠何科夏家歌画回会海絵外角楽活間丸岩顔汽記帰弓牛魚京強教近兄形計元言原戸古午後語"
    "工公広交光考行高黄合谷国黒今才細作算止市矢姉思紙寺自時室社弱首秋週春書少場色食心新親図数"
    "西声星晴切雪船線前組走多太体台地池知茶昼長鳥朝直通弟店点電刀冬当東答頭同道読内南肉馬売買"
    "麦半番父風分聞米歩母方北毎妹万明鳴毛門夜野友用曜来里理話",
    "悪安暗医委意育員院飲運泳駅央横屋温化荷界開階寒感漢館岸起期客究急級宮球去橋業曲局銀区苦具"
    "君係軽血決研県庫湖向幸港号根祭皿仕死使始指歯詩次事持式実写者主守取酒受州拾終習集住重宿所"
    "暑助昭消商章勝乗植申身神真深進世整昔全相送想息速族他打対待代第題炭短談着注柱丁帳調追定庭"
    "笛鉄転都度投豆島湯登等動童農波配倍箱畑発反坂板皮悲美鼻筆氷表秒病品負部服福物平返勉放味命"
    "面問役薬由油有遊予羊洋葉陽様落流旅両緑礼列練路和",
    "愛案以衣位茨印英栄媛塩岡億加果貨課芽賀改械害街各覚潟完官管関観願岐希季旗器機議求泣給挙漁"
    "共協鏡競極熊訓軍郡群径景芸欠結建健験固功好香候康佐差菜最埼材崎昨札刷察参産散残氏司試児治"
    "滋辞鹿失借種周祝順初松笑唱焼照城縄臣信井成省清静席積折節説浅戦選然争倉巣束側続卒孫帯隊達"
    "単置仲沖兆低底的典伝徒努灯働特徳栃奈梨熱念敗梅博阪飯飛必票標不夫付府阜富副兵別辺変便包法"
    "望牧末満未民無約勇要養浴利陸良料量輪類令冷例連老労録",
    "圧囲移因永営衛易益液演応往桜可仮価河過快解格確額刊幹慣眼紀基寄規喜技義逆久旧救居許境均禁"
    "句型経潔件険検限現減故個護効厚耕航鉱構興講告混査再災妻採際在財罪殺雑酸賛士支史志枝師資飼"
    "示似識質舎謝授修述術準序招証象賞条状常情織職制性政勢精製税責績接設絶祖素総造像増則測属率"
    "損貸態団断築貯張停提程適統堂銅導得毒独任燃能破犯判版比肥非費備評貧布婦武復複仏粉編弁保墓"
    "報豊防貿暴脈務夢迷綿輸余容略留領歴",
    "胃異遺域宇映延沿恩我灰拡革閣割株干巻看簡危机揮貴疑吸供胸郷勤筋系敬警劇激穴券絹権憲源厳己"
    "呼誤后孝皇紅降鋼刻穀骨困砂座済裁策冊蚕至私姿視詞誌磁射捨尺若樹収宗就衆従縦縮熟純処署諸除"
    "承将傷障蒸針仁垂推寸盛聖誠舌宣専泉洗染銭善奏窓創装層操蔵臓存尊退宅担探誕段暖値宙忠著庁頂"
    "腸潮賃痛敵展討党糖届難乳認納脳派拝背肺俳班晩否批秘俵腹奮並陛閉片補暮宝訪亡忘棒枚幕密盟模"
    "訳郵優預幼欲翌乱卵覧裏律臨朗論",
]

# Texts the sheets and windows draw that fall outside the sets above.
EXTRA_TEXT = "ORVぽろね教室一般項目ケリモ印刷設定第回計採点欄正答数制限時間解答暗算問題参加部門氏名ⅠⅡⅢ～×・（）"


def ranges():
    cps = set(range(0x20, 0x7F))  # ASCII
    cps.update(range(0x3000, 0x3040))  # CJK punctuation
    cps.update(range(0x3041, 0x3097))  # hiragana
    cps.update(range(0x309B, 0x30A0))  # kana marks
    cps.update(range(0x30A1, 0x3100))  # katakana
    cps.update(range(0xFF01, 0xFF5F))  # full-width forms
    cps.update(range(0x2160, 0x216C))  # roman numerals
    cps.update(ord(c) for c in "×÷±－―‐…‥‘’“”〜～・")
    return cps


def texts_in_sources():
    """Every non-ASCII character of the string literals in the program's own text files."""
    found = set()
    for base in TEXT_SOURCES:
        for dirpath, _, files in os.walk(base):
            for name in sorted(files):
                if not name.endswith((".h", ".cpp", ".ui")):
                    continue
                with open(os.path.join(dirpath, name), encoding="utf-8") as f:
                    for literal in re.findall(r'"([^"\n]*)"', f.read()):
                        found.update(ord(c) for c in literal if ord(c) > 0x7F)
    return found


def rename(font):
    name = font["name"]
    names = {1: FAMILY, 2: "Regular", 3: FAMILY + " Regular", 4: FAMILY, 6: FAMILY,
             16: FAMILY, 17: "Regular"}
    # Localised family names would keep the original name alive; drop them.
    name.names = [n for n in name.names if n.nameID not in names]
    for name_id, text in names.items():
        name.setName(text, name_id, 3, 1, 0x409)
        name.setName(text, name_id, 1, 0, 0)
    note = ("Modified and renamed subset of VL Gothic Regular; see ORVFont-LICENSE.txt.")
    name.setName(note, 10, 3, 1, 0x409)
    name.setName(note, 10, 1, 0, 0)


NARROW = ",."  # proportional punctuation in grouped figures
NARROW_ADVANCE = 0.25  # of an em


def narrow_punctuation(font):
    em = font["head"].unitsPerEm
    advance = round(em * NARROW_ADVANCE)
    glyf, hmtx, cmap = font["glyf"], font["hmtx"], font.getBestCmap()
    for char in NARROW:
        name = cmap[ord(char)]
        glyph = glyf[name]
        glyph.recalcBounds(glyf)
        ink = glyph.xMax - glyph.xMin
        if ink > advance:
            sys.exit(f"{char!r} is wider than its new advance")
        shift = (advance - ink) // 2 - glyph.xMin
        glyph.coordinates.translate((shift, 0))
        glyph.recalcBounds(glyf)
        hmtx[name] = (advance, glyph.xMin)
    widths = {hmtx[cmap[ord(d)]][0] for d in "0123456789"}
    if len(widths) != 1:
        sys.exit("the digits lost their common width")


def main():
    needed = {ord(c) for c in "".join(GRADES) + EXTRA_TEXT} | texts_in_sources()
    cps = ranges() | needed

    font = TTFont(SOURCE, recalcTimestamp=False)
    available = font.getBestCmap()
    # The blocks are taken as far as the source covers them; named characters must all be there.
    missing = sorted(c for c in needed if c not in available)
    if missing:
        sys.exit("not in the source font: " + "".join(chr(c) for c in missing))

    options = subset.Options()
    options.name_IDs = ["*"]
    options.name_languages = ["*"]
    options.notdef_outline = True
    options.glyph_names = False
    options.layout_features = ["*"]
    options.recalc_timestamp = False
    subsetter = subset.Subsetter(options)
    subsetter.populate(unicodes=sorted(c for c in cps if c in available))
    subsetter.subset(font)

    rename(font)
    narrow_punctuation(font)
    font["OS/2"].achVendID = "    "
    font.save(OUTPUT, reorderTables=True)
    kanji = sum(1 for c in cps if 0x4E00 <= c <= 0x9FFF and c in available)
    print(f"{OUTPUT}: {os.path.getsize(OUTPUT)} bytes, {len(cps)} characters, {kanji} kanji")


if __name__ == "__main__":
    main()
