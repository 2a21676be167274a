<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>digitrace::AttributeStrip</name>
    <message>
        <source>属性</source>
        <translation>Attributes</translation>
    </message>
    <message>
        <source>確定</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>入力した属性を地物に記録します（Enter）</source>
        <translation>Records the values entered for the feature (Enter)</translation>
    </message>
    <message>
        <source>地物を選ぶと属性を入力できます</source>
        <translation>Select a feature to enter its attributes</translation>
    </message>
    <message>
        <source>(記録 %1)</source>
        <translation>(record %1)</translation>
    </message>
    <message>
        <source>この地物のクラスを変えます。図形はそのままです</source>
        <translation>Changes this feature’s class. Its geometry stays as it is</translation>
    </message>
    <message>
        <source>必須</source>
        <translation>Required</translation>
    </message>
</context>
<context>
    <name>digitrace::ButtonTable</name>
    <message>
        <source>ボタン表の「%1」が読めません。ボタン番号 0〜%2 とコード 0〜9 を「3=2」のように、またはコマンドを「7=next-class」「8=class:建物」「9=up」のように書いてください。</source>
        <translation>Cannot read “%1” in the button table. Write a button number 0 to %2 and a code 0 to 9 like “3=2”, or a command like “7=next-class”, “8=class:Building” or “9=up”.</translation>
    </message>
    <message>
        <source>ボタン表でボタン %1 が二度書かれています (「%2」)。ボタンごとにコードは一つです。</source>
        <translation>The button table names button %1 twice (“%2”). Each button has one code.</translation>
    </message>
</context>
<context>
    <name>digitrace::ClassFeature</name>
    <message>
        <source>クラス一覧を開く…</source>
        <translation>Open Class Catalogue…</translation>
    </message>
    <message>
        <source>クラス一覧(*.txt *.classes);;すべてのファイル(*)</source>
        <translation>Class catalogues (*.txt *.classes);;All files (*)</translation>
    </message>
    <message>
        <source>クラス一覧 %1 を開けません: %2</source>
        <translation>Cannot open the class catalogue %1: %2</translation>
    </message>
    <message>
        <source>クラス一覧 %1 は大きすぎます。</source>
        <translation>The class catalogue %1 is too large.</translation>
    </message>
    <message>
        <source>クラス一覧 %1 は UTF-8 のテキストではありません。</source>
        <translation>The class catalogue %1 is not UTF-8 text.</translation>
    </message>
    <message>
        <source>クラス一覧 %1 を読めません。何も変わっていません。
%2</source>
        <translation>Cannot read the class catalogue %1. Nothing has changed.
%2</translation>
    </message>
    <message>
        <source>必須の属性が空の地物が %1 件あります。作業リストで確かめますか？</source>
        <translation>%1 features have empty required attributes. Check them in the work list?</translation>
    </message>
    <message>
        <source>作業リストを見る</source>
        <translation>Show the Work List</translation>
    </message>
    <message>
        <source>このまま続ける</source>
        <translation>Go On</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>%1 の値が読めません。</source>
        <translation>Cannot read the value of %1.</translation>
    </message>
    <message>
        <source>この値は記録できません。</source>
        <translation>These values cannot be recorded.</translation>
    </message>
    <message>
        <source>作図中: %1</source>
        <translation>Tracing: %1</translation>
    </message>
    <message>
        <source>次の地物: %1</source>
        <translation>Next feature: %1</translation>
    </message>
</context>
<context>
    <name>digitrace::ClassPanel</name>
    <message>
        <source>点</source>
        <translation>Point</translation>
    </message>
    <message>
        <source>線</source>
        <translation>Line</translation>
    </message>
    <message>
        <source>面</source>
        <translation>Polygon</translation>
    </message>
    <message>
        <source>クラス</source>
        <translation>Classes</translation>
    </message>
    <message>
        <source>種類</source>
        <translation>Kind</translation>
    </message>
    <message>
        <source>地物数</source>
        <translation>Features</translation>
    </message>
    <message>
        <source>キー</source>
        <translation>Key</translation>
    </message>
</context>
<context>
    <name>digitrace::ClassStore</name>
    <message>
        <source>データベースの指定 %1 は PG: で始まるGDALの接続文字列ではありません</source>
        <translation>The database %1 is not a GDAL connection string starting with PG:</translation>
    </message>
    <message>
        <source>クラス一覧の名前 &quot;%1&quot; は使えません: 前後の空白と制御文字のない 200 文字までの名前にしてください</source>
        <translation>The class catalogue name &quot;%1&quot; cannot be used: use a name of up to 200 characters without leading or trailing blanks or control characters</translation>
    </message>
    <message>
        <source>クラス一覧 %1 は読めないので送りません: %2</source>
        <translation>The class catalogue %1 is not sent because it cannot be read: %2</translation>
    </message>
    <message>
        <source>クラス一覧 %1 をデータベースへ送れませんでした。データベースは前のままです: %2</source>
        <translation>Could not send the class catalogue %1 to the database. The database is as it was: %2</translation>
    </message>
    <message>
        <source>データベースからクラス一覧 %1 を読めません: %2</source>
        <translation>Cannot read the class catalogue %1 from the database: %2</translation>
    </message>
    <message>
        <source>データベースにクラス一覧 %1 がありません</source>
        <translation>The database has no class catalogue %1</translation>
    </message>
    <message>
        <source>データベースのクラス一覧を読めません: %1</source>
        <translation>Cannot read the class catalogues of the database: %1</translation>
    </message>
</context>
<context>
    <name>digitrace::ClassStoreFeature</name>
    <message>
        <source>クラスをデータベースから読み込む…</source>
        <translation>Load Classes from the Database…</translation>
    </message>
    <message>
        <source>クラスをデータベースへ送る…</source>
        <translation>Send Classes to the Database…</translation>
    </message>
    <message>
        <source>共有データベース</source>
        <translation>Shared Database</translation>
    </message>
    <message>
        <source>接続 (例: PG:host=server dbname=maps user=ann)。パスワードは ~/.pgpass かサービスファイルで与えてください:</source>
        <translation>Connection (e.g. PG:host=server dbname=maps user=ann). Give the password in ~/.pgpass or a service file:</translation>
    </message>
    <message>
        <source>データベース %1 にはクラス一覧がありません。クラスをデータベースへ送る… で送ってから読み込んでください。</source>
        <translation>The database %1 holds no class catalogue. Send one with Send Classes to the Database… first, then load it.</translation>
    </message>
    <message>
        <source>%1（%2 が %3 に送信）</source>
        <translation>%1 (sent by %2 at %3)</translation>
    </message>
    <message>
        <source>クラスをデータベースから読み込む</source>
        <translation>Load Classes from the Database</translation>
    </message>
    <message>
        <source>クラス一覧:</source>
        <translation>Class catalogue:</translation>
    </message>
    <message>
        <source>データベースのクラス一覧 %1 が読めないので、クラスはいままでのままです: %2</source>
        <translation>The class catalogue %1 in the database cannot be read, so the classes stay as they were: %2</translation>
    </message>
    <message>
        <source>クラス一覧 %1 をデータベースから読み込みました（%2 が %3 に送信）。</source>
        <translation>Loaded the class catalogue %1 from the database (sent by %2 at %3).</translation>
    </message>
    <message>
        <source>送るクラス一覧がありません。先にクラス一覧を開くか、データベースから読み込んでください。</source>
        <translation>There is no class catalogue to send. Open a class catalogue or load one from the database first.</translation>
    </message>
    <message>
        <source>クラスをデータベースへ送る</source>
        <translation>Send Classes to the Database</translation>
    </message>
    <message>
        <source>データベースでの名前 (図葉のシリーズなど):</source>
        <translation>Name in the database (such as the map series):</translation>
    </message>
    <message>
        <source>データベースのクラス一覧 %1（%2 が %3 に送信）を、このジョブのクラス一覧で置き換えますか？</source>
        <translation>Replace the class catalogue %1 in the database (sent by %2 at %3) with this job’s class catalogue?</translation>
    </message>
    <message>
        <source>置き換える</source>
        <translation>Replace</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>クラス一覧 %1 をデータベースへ送りました。</source>
        <translation>Sent the class catalogue %1 to the database.</translation>
    </message>
</context>
<context>
    <name>digitrace::ControlPoints</name>
    <message>
        <source>基準点ファイル %1 の1行目が見出し &quot;%2&quot; ではありません。</source>
        <translation>The first line of the control point file %1 is not the heading &quot;%2&quot;.</translation>
    </message>
    <message>
        <source>基準点ファイル %1 の%2行目が読めません: 名前、タブレットX、タブレットY、地図X、地図Y、使用(1か0)の6項目が必要です。</source>
        <translation>Line %2 of the control point file %1 cannot be read: it needs 6 fields: name, tablet X, tablet Y, map X, map Y, used (1 or 0).</translation>
    </message>
    <message>
        <source>基準点ファイル %1 を開けません: %2</source>
        <translation>Cannot open the control point file %1: %2</translation>
    </message>
    <message>
        <source>基準点ファイル %1 を保存できません: %2</source>
        <translation>Cannot save the control point file %1: %2</translation>
    </message>
    <message>
        <source>基準点ファイル %1 の%2行目が長すぎます（%3文字まで）。</source>
        <translation>Line %2 of the control point file %1 is too long (at most %3 characters).</translation>
    </message>
    <message>
        <source>基準点ファイル %1 は通常のファイルではありません。</source>
        <translation>The control point file %1 is not a regular file.</translation>
    </message>
    <message>
        <source>基準点ファイル %1 を読めません: %2</source>
        <translation>Cannot read the control point file %1: %2</translation>
    </message>
    <message>
        <source>基準点ファイル %1 は大きすぎます（%2 KiBまで）。</source>
        <translation>The control point file %1 is too large (at most %2 KiB).</translation>
    </message>
    <message>
        <source>基準点ファイル %1 を保存できません: 1行が%2文字を超えます。基準点の名前を短くしてください。</source>
        <translation>Cannot save the control point file %1: a line would exceed %2 characters. Shorten the control point names.</translation>
    </message>
</context>
<context>
    <name>digitrace::CustomLayout</name>
    <message>
        <source>%1 行目: %2</source>
        <translation>Line %1: %2</translation>
    </message>
    <message>
        <source>「名前 = 値」の形ではありません。</source>
        <translation>This is not of the form “name = value”.</translation>
    </message>
    <message>
        <source>「%1」は二度目です。一つの項目は一度だけ書いてください。</source>
        <translation>“%1” comes a second time. Write each item once.</translation>
    </message>
    <message>
        <source>columns は order や separator と一緒には書けません。桁で切るか、区切り文字で分けるかのどちらかです。</source>
        <translation>columns cannot go with order or separator: the fields are either cut at columns or split at a separator.</translation>
    </message>
    <message>
        <source>columns の X, Y, ボタンの桁が重なっています。</source>
        <translation>The columns of X, Y and the button overlap.</translation>
    </message>
    <message>
        <source>order には x, y, button を一度ずつ、コンマで区切って並べてください。</source>
        <translation>order lists x, y and button once each, separated by commas.</translation>
    </message>
    <message>
        <source>separator は数字でない 1 文字か space か tab です。</source>
        <translation>separator is one character that is not a digit, or space, or tab.</translation>
    </message>
    <message>
        <source>columns は X, Y, ボタンの桁を「1-9,10-18,19」のように書いてください。</source>
        <translation>columns gives the columns of X, Y and the button, like “1-9,10-18,19”.</translation>
    </message>
    <message>
        <source>button は decimal, hex, calcomp, flags のどれかです。</source>
        <translation>button is one of decimal, hex, calcomp, flags.</translation>
    </message>
    <message>
        <source>no-button は 0〜65535 の数か none です。</source>
        <translation>no-button is a number from 0 to 65535, or none.</translation>
    </message>
    <message>
        <source>line-end は cr, lf, crlf, any のどれかです。</source>
        <translation>line-end is one of cr, lf, crlf, any.</translation>
    </message>
    <message>
        <source>「%1」という項目はありません。</source>
        <translation>There is no setting “%1”.</translation>
    </message>
</context>
<context>
    <name>digitrace::CustomLayoutEditor</name>
    <message>
        <source>%1 は通常のファイルではありません</source>
        <translation>%1 is not a regular file</translation>
    </message>
    <message>
        <source>%1 は大きすぎてレコード配置ではありません</source>
        <translation>%1 is too large to be a record layout</translation>
    </message>
    <message>
        <source>区切り文字で分ける</source>
        <translation>Split at a separator</translation>
    </message>
    <message>
        <source>固定の桁で切る</source>
        <translation>Cut at fixed columns</translation>
    </message>
    <message>
        <source>空白</source>
        <translation>Space</translation>
    </message>
    <message>
        <source>タブ</source>
        <translation>Tab</translation>
    </message>
    <message>
        <source>順序:</source>
        <translation>Order:</translation>
    </message>
    <message>
        <source>区切り:</source>
        <translation>Separator:</translation>
    </message>
    <message>
        <source>ボタン</source>
        <translation>Button</translation>
    </message>
    <message>
        <source>最初の桁</source>
        <translation>First column</translation>
    </message>
    <message>
        <source>最後の桁</source>
        <translation>Last column</translation>
    </message>
    <message>
        <source>10 進数</source>
        <translation>Decimal</translation>
    </message>
    <message>
        <source>16 進数</source>
        <translation>Hexadecimal</translation>
    </message>
    <message>
        <source>CalComp 文字（&apos;0&apos; からの差）</source>
        <translation>CalComp character (code minus &apos;0&apos;)</translation>
    </message>
    <message>
        <source>ビット（1, 2, 4, 8）</source>
        <translation>Bit flags (1, 2, 4, 8)</translation>
    </message>
    <message>
        <source>ボタンなしの値:</source>
        <translation>No-button value:</translation>
    </message>
    <message>
        <source>外すと、どの行も記録として取り込みます。</source>
        <translation>Unchecked, every line is taken as a record.</translation>
    </message>
    <message>
        <source>どれでも</source>
        <translation>Any</translation>
    </message>
    <message>
        <source>読み込み…</source>
        <translation>Import…</translation>
    </message>
    <message>
        <source>書き出し…</source>
        <translation>Export…</translation>
    </message>
    <message>
        <source>ボタンの書き方:</source>
        <translation>Button written as:</translation>
    </message>
    <message>
        <source>行末:</source>
        <translation>Line end:</translation>
    </message>
    <message>
        <source>%1 を読めません: %2</source>
        <translation>Cannot read %1: %2</translation>
    </message>
    <message>
        <source>%1 はレコード配置として読めません。%2</source>
        <translation>%1 does not read as a record layout. %2</translation>
    </message>
    <message>
        <source>%1 に書き出せません: %2</source>
        <translation>Cannot write %1: %2</translation>
    </message>
    <message>
        <source>レコード配置の読み込み</source>
        <translation>Import Record Layout</translation>
    </message>
    <message>
        <source>レコード配置</source>
        <translation>Record layout</translation>
    </message>
    <message>
        <source>レコード配置の書き出し</source>
        <translation>Export Record Layout</translation>
    </message>
</context>
<context>
    <name>digitrace::DetectionPanel</name>
    <message>
        <source>自動検出</source>
        <translation>Auto-detect</translation>
    </message>
    <message>
        <source>数秒間回線を聞き、よく使われる速度とフレームで届いたバイトを読める形式を探します。聞いている間にボタンを何度か押してください。</source>
        <translation>Listens to the line for a few seconds and looks for the format that reads what arrives, under the usual speeds and framings. Press a button a few times while it listens.</translation>
    </message>
    <message>
        <source>採用</source>
        <translation>Accept</translation>
    </message>
    <message>
        <source>採用しない</source>
        <translation>Dismiss</translation>
    </message>
    <message>
        <source>%1 で聞いています…</source>
        <translation>Listening at %1…</translation>
    </message>
    <message>
        <source>形式 %1、回線 %2 で読めます。</source>
        <translation>Reads as format %1 on a %2 line.</translation>
    </message>
    <message>
        <source>  X %1  Y %2  ボタン %3</source>
        <translation>  X %1  Y %2  button %3</translation>
    </message>
    <message>
        <source>  X %1  Y %2  コード %3</source>
        <translation>  X %1  Y %2  code %3</translation>
    </message>
    <message>
        <source>形式 %1 として: 記録 %2 件</source>
        <translation>As format %1: %2 record(s)</translation>
    </message>
    <message>
        <source>回線 %1 で届いたバイトは形式 %2 のどれとしても読めますが、読み方が違い、取り込まれる記録も違います。タブレットの設定を確かめて形式を選んでください。</source>
        <translation>The bytes received on a %1 line read as each of the formats %2, but differently, and would give different records. Check the tablet&apos;s settings and choose its format.</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>%1 を採用</source>
        <translation>Accept %1</translation>
    </message>
    <message>
        <source>  （カーソルの位置だけが届き、ボタンの記録はまだありません）</source>
        <translation>  (only cursor positions so far, no button records yet)</translation>
    </message>
    <message>
        <source>見つかりました。採用すると形式と回線の欄に入ります。</source>
        <translation>Found. Accept to put it into the format and line fields.</translation>
    </message>
    <message>
        <source>この回線は聞けません。</source>
        <translation>This line cannot be listened to.</translation>
    </message>
    <message>
        <source>接続中は自動検出できません。回線は受信に使われています。切断してから試してください。</source>
        <translation>Auto-detection is not available while connected: the line is in use for reception. Disconnect first, then try again.</translation>
    </message>
    <message>
        <source>タブレットの形式と回線の設定を、届くバイトから探します。</source>
        <translation>Finds the tablet&apos;s format and line settings from the bytes it sends.</translation>
    </message>
</context>
<context>
    <name>digitrace::DxfExport</name>
    <message>
        <source>図形の属性のうち %1 個は、DXFの拡張データに入る長さに切り詰めたか、入らないため省きました（GIS出力には全て出ます）</source>
        <translation>%1 feature attributes were cut to the length that DXF extended data takes, or left out where they did not fit (the GIS export writes them all)</translation>
    </message>
    <message>
        <source>%1 行目がグループコードではありません</source>
        <translation>line %1 is not a group code</translation>
    </message>
    <message>
        <source>ENTITIES セクションの始まりがありません</source>
        <translation>it has no start of an ENTITIES section</translation>
    </message>
    <message>
        <source>クラス %1 は層 %2 を先のクラスと共有するため、層の色は先のクラスのものです</source>
        <translation>The class %1 shares the layer %2 with an earlier class, so the layer has the earlier class&apos;s colour</translation>
    </message>
    <message>
        <source>クラス %1 の層 %2 は、DXFの層名に使えない文字、長さ、他の層との重なりのため %3 として出力しました</source>
        <translation>The layer %2 of the class %1 was written as %3: a DXF layer name cannot take its characters or length, or another layer has that name</translation>
    </message>
    <message>
        <source>層 %1 はテンプレートにあるため、クラス %2 の色ではなくテンプレートの定義で出力します</source>
        <translation>The layer %1 is in the template, so it is written as the template defines it, not in the colour of the class %2</translation>
    </message>
    <message>
        <source>テンプレートにクラスの層を加えられません: %1</source>
        <translation>The class layers cannot be added to the template: %1</translation>
    </message>
    <message>
        <source>クラス一覧にないクラスの図形 %1 個は、クラスのない図形と同じ層に出力しました</source>
        <translation>%1 features of classes that are not in the catalogue were written on the layers of features without a class</translation>
    </message>
    <message>
        <source>テンプレート %1 を読み込めませんでした。
%2</source>
        <translation>Could not read the template %1.
%2</translation>
    </message>
    <message>
        <source>DXFファイル %1 を保存できませんでした。</source>
        <translation>Could not save the DXF file %1.</translation>
    </message>
    <message>
        <source>座標が大きすぎる記録があり、DXF に書けません。</source>
        <translation>A record has coordinates too large to be written to DXF.</translation>
    </message>
    <message>
        <source>通常のファイルではありません。</source>
        <translation>It is not a regular file.</translation>
    </message>
    <message>
        <source>%1 MiB を超えるため、DXFのヘッダーとは見なせません。</source>
        <translation>It is larger than %1 MiB and cannot be a DXF header.</translation>
    </message>
    <message>
        <source>テンプレート %1 が空のため、DXFファイルを書けません。
DXFのヘッダーを書き込むか、このファイルを削除して組み込みのテンプレートを使ってください。</source>
        <translation>The template %1 is empty, so no DXF file can be written.
Write a DXF header into it, or delete the file to use the built-in template.</translation>
    </message>
</context>
<context>
    <name>digitrace::FileReplacement</name>
    <message>
        <source>元の内容を一時フォルダーに控えられませんでした: %1</source>
        <translation>Could not keep a copy of the original content in a temporary folder: %1</translation>
    </message>
    <message>
        <source>既存のファイルは変更されていません。</source>
        <translation>The existing file has not been changed.</translation>
    </message>
    <message>
        <source>フォルダーに書き込めないためファイルを直接書き換えましたが、失敗したため元の内容に戻しました。</source>
        <translation>The folder is not writable, so the file was rewritten in place; that failed, and the original content was restored.</translation>
    </message>
    <message>
        <source>ファイルを元の内容に戻せませんでした。元の内容は %1 に残してあります。</source>
        <translation>Could not restore the file&apos;s original content. The original content is kept in %1.</translation>
    </message>
    <message>
        <source>フォルダー %1 には新しいファイルを作れないため、%2 を書けません</source>
        <translation>The folder %1 takes no new files, so %2 cannot be written</translation>
    </message>
    <message>
        <source>%1 は通常のファイルではありません</source>
        <translation>%1 is not a regular file</translation>
    </message>
    <message>
        <source>フォルダー %1 からは古い %2 を消せないため、書けません</source>
        <translation>The folder %1 does not let the old %2 be removed, so nothing is written</translation>
    </message>
</context>
<context>
    <name>digitrace::FitQuality</name>
    <message>
        <source>良好</source>
        <translation>good</translation>
    </message>
    <message>
        <source>可</source>
        <translation>acceptable</translation>
    </message>
    <message>
        <source>注意: 0.25 mmを超えています</source>
        <translation>warning: over 0.25 mm</translation>
    </message>
    <message>
        <source>不良: 1 mmを超えています。基準点を見直してください</source>
        <translation>poor: over 1 mm. Check the control points</translation>
    </message>
</context>
<context>
    <name>digitrace::FormatPanel</name>
    <message>
        <source>形式</source>
        <translation>Format</translation>
    </message>
    <message>
        <source>厳密（形式に合わない記録は取り込まない）</source>
        <translation>Strict (refuse records that do not match the format)</translation>
    </message>
    <message>
        <source>「ボタン番号=コード」を空白で区切って並べます。ボタン番号は 0〜%1、コードは 0〜9。表にないボタンは数えるだけで取り込みません。</source>
        <translation>Pairs &quot;button=code&quot; separated by spaces: buttons 0 to %1, codes 0 to 9. A button not in the table is counted, not taken.</translation>
    </message>
    <message>
        <source>形式:</source>
        <translation>Format:</translation>
    </message>
    <message>
        <source>ボタン表:</source>
        <translation>Button table:</translation>
    </message>
</context>
<context>
    <name>digitrace::Reception</name>
    <message>
        <source>タブレットから届くデータが形式 %1 に合いません。通信速度・フレーミング・ケーブル・形式の設定を確かめてください。</source>
        <translation>The data from the tablet does not fit the format %1. Check the speed, the framing, the cable and the format setting.</translation>
    </message>
    <message>
        <source>タブレットから届く行は 8 ビット目を除けば形式 %1 に合います。回線はおそらく 7 データビット・パリティ付き (7E1 など) です。通信設定を合わせてください。</source>
        <translation>The lines from the tablet fit the format %1 once bit 8 is cleared: the line is probably 7 data bits with parity (such as 7E1). Set the line settings to match.</translation>
    </message>
</context>
<context>
    <name>digitrace::GisExport</name>
    <message>
        <source>GIS出力のDXFにはクラスを書きません。クラスごとの層はDXF出力で書けます</source>
        <translation>A DXF from the GIS export holds no classes. The DXF export writes a layer for each class</translation>
    </message>
    <message>
        <source>層 %1 で、クラス %2 の欄 %3 は列 %4 として出力しました</source>
        <translation>In the layer %1, the field %3 of the class %2 was written as the column %4</translation>
    </message>
    <message>
        <source>クラス %1 の層は名前に %2 を使いました（使えない文字、長さ、重なりのため）</source>
        <translation>The layers of the class %1 are named with %2 (for characters, length or another layer of that name)</translation>
    </message>
    <message>
        <source>クラス一覧にないクラスの図形 %1 個は、クラスのない図形として出力しました</source>
        <translation>%1 features of classes that are not in the catalogue were written as features without a class</translation>
    </message>
    <message>
        <source>層 %1 の列 %2 で、型に合わない値 %3 個を空にしました</source>
        <translation>In the layer %1, the column %2: %3 values that do not fit its type were left empty</translation>
    </message>
    <message>
        <source>層 %1 の列 %2 で、%3 バイトを超える値 %4 個を切り詰めました</source>
        <translation>In the layer %1, the column %2: %4 values longer than %3 bytes were cut</translation>
    </message>
    <message>
        <source>GDALが理由を返しませんでした</source>
        <translation>GDAL gave no reason</translation>
    </message>
    <message>
        <source>GDALに %1 形式のドライバーがありません</source>
        <translation>GDAL has no driver for the %1 format</translation>
    </message>
    <message>
        <source>GIS出力 %1 を書けません: %2</source>
        <translation>Cannot write the GIS output %1: %2</translation>
    </message>
    <message>
        <source>%1 は扱える形式ではありません (%2)</source>
        <translation>%1 is not a format that can be written (%2)</translation>
    </message>
    <message>
        <source>フォルダ %1 がありません</source>
        <translation>The folder %1 does not exist</translation>
    </message>
    <message>
        <source>GIS出力 %1 を書けません</source>
        <translation>Cannot write the GIS output %1</translation>
    </message>
    <message>
        <source>GDALが出力ファイルを作りませんでした</source>
        <translation>GDAL made no output file</translation>
    </message>
</context>
<context>
    <name>digitrace::GisExportFeature</name>
    <message>
        <source>GIS出力…</source>
        <translation>GIS Export…</translation>
    </message>
    <message>
        <source>GeoPackage(*.gpkg);;シェープファイル(*.shp);;GeoJSON(*.geojson);;CSV(*.csv);;DXF(*.dxf)</source>
        <translation>GeoPackage (*.gpkg);;Shapefile (*.shp);;GeoJSON (*.geojson);;CSV (*.csv);;DXF (*.dxf)</translation>
    </message>
    <message>
        <source>地図座標（%1）</source>
        <translation>map coordinates (%1)</translation>
    </message>
    <message>
        <source>基準点の登録なし: 縮尺 1/%1 の実長 (m)</source>
        <translation>not registered: ground metres at scale 1/%1</translation>
    </message>
    <message>
        <source>GIS出力 %1 を書き出しました。
点 %2、線 %3、多角形 %4
座標: %5</source>
        <translation>Wrote the GIS file %1.
Points %2, lines %3, polygons %4
Coordinates: %5</translation>
    </message>
    <message>
        <source>
どの図形にも属さない記録 %1 件は出力していません。</source>
        <translation>
%1 records that belong to no feature were left out.</translation>
    </message>
</context>
<context>
    <name>digitrace::HelpFeature</name>
    <message>
        <source>使い方</source>
        <translation>User guide</translation>
    </message>
    <message>
        <source>バージョン情報</source>
        <translation>About</translation>
    </message>
    <message>
        <source>言語 (次回起動から)</source>
        <translation>Language (from the next start)</translation>
    </message>
    <message>
        <source>日本語</source>
        <translation>Japanese (日本語)</translation>
    </message>
    <message>
        <source>English</source>
        <translation>English</translation>
    </message>
</context>
<context>
    <name>digitrace::HelpWindow</name>
    <message>
        <source>使い方 - デジタイザートレース</source>
        <translation>User guide - Digitizer Trace</translation>
    </message>
    <message>
        <source>デジタイザートレース %1
紙の地図や図面をシリアル接続のデジタイザーでトレースします。

Qt %2 (実行中) を LGPL v3 のもとで使用しています。
ライセンス: %3</source>
        <translation>Digitizer Trace %1
Traces paper maps and drawings with a serial digitizer tablet.

Uses Qt %2 (running) under the LGPL v3.
Licence: %3</translation>
    </message>
    <message>
        <source>未定</source>
        <translation>not yet decided</translation>
    </message>
    <message>
        <source>ja</source>
        <extracomment>The folder of the user guide in this language: &quot;ja&quot; or &quot;en&quot;.</extracomment>
        <translation>en</translation>
    </message>
    <message>
        <source>目次</source>
        <translation>Contents</translation>
    </message>
    <message>
        <source>前のページ</source>
        <translation>Previous page</translation>
    </message>
    <message>
        <source>次のページ</source>
        <translation>Next page</translation>
    </message>
</context>
<context>
    <name>digitrace::JobFiles</name>
    <message>
        <source>ジョブﾌｧｲﾙ(*.dtjob)</source>
        <translation>Job files (*.dtjob)</translation>
    </message>
    <message>
        <source>ジョブﾌｧｲﾙ(*.dtjob);;受信記録(*.cap)</source>
        <translation>Job files (*.dtjob);;Captures (*.cap)</translation>
    </message>
    <message>
        <source>読めない %1 行を飛ばし、その先も読み込みます。</source>
        <translation>%1 unreadable line(s) will be skipped and what follows read as well.</translation>
    </message>
    <message>
        <source>ジョブを開く…</source>
        <translation>Open job…</translation>
    </message>
    <message>
        <source>ジョブを保存</source>
        <translation>Save job</translation>
    </message>
    <message>
        <source>名前を付けてジョブを保存…</source>
        <translation>Save job as…</translation>
    </message>
    <message>
        <source>直前のクリアを取り消す</source>
        <translation>Undo the last clear</translation>
    </message>
    <message>
        <source>復元</source>
        <translation>Restore</translation>
    </message>
    <message>
        <source>破棄</source>
        <translation>Discard</translation>
    </message>
    <message>
        <source>正しく読めない作業記録を %1 に移して残しました。</source>
        <translation>A journal that could not be read correctly was moved to %1 and kept.</translation>
    </message>
    <message>
        <source>作業記録 %1 は正しく読めません。移せなかったため、そのまま残してあります。</source>
        <translation>The journal %1 cannot be read correctly. It could not be moved, so it was left as it is.</translation>
    </message>
    <message>
        <source>前回の作業記録 %1 は一部が壊れています。</source>
        <translation>Part of the previous journal %1 is damaged.</translation>
    </message>
    <message>
        <source>作業記録 %1 は引き継げないため、復元した記録はメモリーにだけ残ります。</source>
        <translation>The journal %1 cannot be taken over, so restored records are kept in memory only.</translation>
    </message>
    <message>
        <source>前回の作業は保存されていません。復元しますか？</source>
        <translation>The last session&apos;s work was not saved. Restore it?</translation>
    </message>
    <message>
        <source>%1、記録 %2 件、%3</source>
        <translation>%1, %2 record(s), %3</translation>
    </message>
    <message>
        <source>シート名なし</source>
        <translation>no sheet name</translation>
    </message>
    <message>
        <source>シート %1</source>
        <translation>sheet %1</translation>
    </message>
    <message>
        <source>最近のジョブ</source>
        <translation>Recent jobs</translation>
    </message>
    <message>
        <source>(ありません)</source>
        <translation>(none)</translation>
    </message>
    <message>
        <source>%1 を開けませんでした。</source>
        <translation>Could not open %1.</translation>
    </message>
    <message>
        <source>ジョブ %1 は壊れています。</source>
        <translation>The job %1 is damaged.</translation>
    </message>
    <message>
        <source>記録は DXF に出力済みですが、基準点の登録とシート名は DXF に入りません。ジョブファイルに保存しますか？</source>
        <translation>The records are in the DXF, but the registration and the sheet name are not. Save the job file?</translation>
    </message>
    <message>
        <source>保存されていない記録があります。保存しますか？</source>
        <translation>There are unsaved records. Save them?</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>ジョブ %1 を保存できませんでした。</source>
        <translation>Could not save the job %1.</translation>
    </message>
    <message>
        <source>ジョブを開くには、先に切断してください。</source>
        <translation>Disconnect first to open a job.</translation>
    </message>
    <message>
        <source>%1 は通常のファイルではないため開けません。</source>
        <translation>%1 is not a regular file and cannot be opened.</translation>
    </message>
    <message>
        <source>%1 を開けませんでした。
%2</source>
        <translation>Could not open %1.
%2</translation>
    </message>
    <message>
        <source>%1 はジョブファイルでも受信記録でもありません。</source>
        <translation>%1 is neither a job file nor a capture.</translation>
    </message>
    <message>
        <source>ジョブファイル %1 は壊れています。</source>
        <translation>The job file %1 is damaged.</translation>
    </message>
    <message>
        <source>読めた %1 件の操作を読み込みました。ファイルはそのまま残してあります。</source>
        <translation>The %1 entries that could be read were loaded. The file was left as it is.</translation>
    </message>
</context>
<context>
    <name>digitrace::JobJournal</name>
    <message>
        <source>最近のジョブとして残せませんでした。
%1</source>
        <translation>Could not keep the job among the recent jobs.
%1</translation>
    </message>
    <message>
        <source>基準点の登録</source>
        <translation>The registration</translation>
    </message>
    <message>
        <source>シート名</source>
        <translation>The sheet name</translation>
    </message>
    <message>
        <source>この操作</source>
        <translation>This change</translation>
    </message>
    <message>
        <source>%1 は作業記録の 1 行で %2 MB になり、読み戻せる %3 MB を超えるため、取り込みませんでした。ジョブは元のままです。</source>
        <translation>%1 would take %2 MB in one line of the journal, more than the %3 MB a restore can read back, so it was not taken. The job is unchanged.</translation>
    </message>
    <message>
        <source>作業記録 %1 を開けませんでした。
%2</source>
        <translation>Could not open the journal %1.
%2</translation>
    </message>
    <message>
        <source>作業記録 %1 に書き込めません。
%2
受信は続けます。書き込めるようになりしだい記録を再開します。</source>
        <translation>Cannot write to the journal %1.
%2
Reception goes on. Journaling resumes as soon as it can write again.</translation>
    </message>
    <message>
        <source>作業記録のファイルを %1 に用意できませんでした。
%2
記録はメモリーにだけ残ります。</source>
        <translation>Could not prepare a journal file in %1.
%2
Records are kept in memory only.</translation>
    </message>
    <message>
        <source>%1 個の作業記録がすべて他のウィンドウで使用中です。</source>
        <translation>All %1 journals are in use by other windows.</translation>
    </message>
    <message>
        <source>通常のファイルではありません。</source>
        <translation>It is not a regular file.</translation>
    </message>
    <message>
        <source>フォルダーを作れません。</source>
        <translation>The folder cannot be created.</translation>
    </message>
</context>
<context>
    <name>digitrace::LineListener</name>
    <message>
        <source>ポート %1 を開けません: %2</source>
        <translation>Cannot open port %1: %2</translation>
    </message>
    <message>
        <source>回線から何も届きませんでした。タブレットの電源とケーブルを確かめ、聞いている間にボタンを何度か押してください。</source>
        <translation>Nothing arrived on the line. Check the tablet&apos;s power and cable, and press a button a few times while it listens.</translation>
    </message>
    <message>
        <source>届いたバイトはどの形式にも、どの速度・フレームにも合いません。</source>
        <translation>The bytes received fit no format at any of the usual speeds and framings.</translation>
    </message>
    <message>
        <source>%1 で形式 %2 として読める報告が %3 件だけ届きましたが、これだけでは決められません。聞いている間にボタンを何度も押してください。</source>
        <translation>At %1 only %3 report(s) read as format %2: too few to decide. Press a button several times while it listens.</translation>
    </message>
</context>
<context>
    <name>digitrace::MapCrs</name>
    <message>
        <source>経度</source>
        <translation>Longitude</translation>
    </message>
    <message>
        <source>緯度</source>
        <translation>Latitude</translation>
    </message>
    <message>
        <source>Y (東)</source>
        <translation>Y (east)</translation>
    </message>
    <message>
        <source>東距</source>
        <translation>Easting</translation>
    </message>
    <message>
        <source>X (北)</source>
        <translation>X (north)</translation>
    </message>
    <message>
        <source>北距</source>
        <translation>Northing</translation>
    </message>
    <message>
        <source>地図X</source>
        <translation>Map X</translation>
    </message>
    <message>
        <source>地図Y</source>
        <translation>Map Y</translation>
    </message>
    <message>
        <source>座標系 &quot;%1&quot; を解釈できません。EPSG:番号 か WKT で指定してください (%2)</source>
        <translation>Cannot interpret the coordinate system &quot;%1&quot;. Give it as EPSG:number or as WKT (%2)</translation>
    </message>
    <message>
        <source>座標系 &quot;%1&quot; (%2) は地図の水平座標系ではありません。2次元の投影座標系か地理座標系（緯度経度）を指定してください</source>
        <translation>The coordinate system &quot;%1&quot; (%2) is not a horizontal map CRS. Give a two-dimensional projected or geographic (latitude and longitude) CRS</translation>
    </message>
    <message>
        <source>座標系 %1 は緯度経度（度）ですが、基準点 %2 の地図座標は度の範囲を超えています。メートルなどの座標なら投影座標系を指定してください</source>
        <translation>The coordinate system %1 is in latitude and longitude (degrees), but the map coordinates of control point %2 lie beyond the range of degrees. For metres or other lengths, give a projected CRS</translation>
    </message>
    <message>
        <source>注意: 用紙の1 mmが %1 度に当たります。地図座標が度でなくメートルなどなら、投影座標系を指定してください</source>
        <translation>Warning: 1 mm of the sheet spans %1 degrees. If the map coordinates are metres or other lengths rather than degrees, give a projected CRS</translation>
    </message>
    <message>
        <source>注意: 用紙の1 mmが地図上で %1 単位にしかなりません。地図座標が度なら、地理座標系を指定してください</source>
        <translation>Warning: 1 mm of the sheet spans only %1 units on the map. If the map coordinates are degrees, give a geographic CRS</translation>
    </message>
</context>
<context>
    <name>digitrace::NoticeBar</name>
    <message>
        <source>この通知を閉じる</source>
        <translation>Close this notice</translation>
    </message>
    <message>
        <source>（ほかに %1 件）</source>
        <translation>(%1 more)</translation>
    </message>
</context>
<context>
    <name>digitrace::PortFeature</name>
    <message>
        <source>タブレットから届くデータは選んだ形式 %1 に合いませんが、形式 %2 として読めます。
形式を %2 に切り替えますか？ 切り替えると次に届くバイトから %2 として読みます。接続してから取り込んだ %3 件の記録はそのまま残ります（不要なら「戻る」で取り消してください）。</source>
        <translation>The data from the tablet does not fit the chosen format %1, but reads as format %2.
Switch the format to %2? The next bytes that arrive are then read as %2. The %3 record(s) taken since connecting stay as they are (take them back with Back if they are not wanted).</translation>
    </message>
    <message>
        <source>%1 に切り替える</source>
        <translation>Switch to %1</translation>
    </message>
    <message>
        <source>切り替えない</source>
        <translation>Keep the format</translation>
    </message>
    <message>
        <source>ポート設定…</source>
        <translation>Port Settings…</translation>
    </message>
    <message>
        <source>記録モニタ</source>
        <translation>Record Monitor</translation>
    </message>
    <message>
        <source>接続してから %1 秒間、ポート %2 から記録が届きません。
タブレットの電源とケーブル、回線の設定（接続 → ポート設定…）を確かめてください。</source>
        <translation>No record has arrived from port %2 in the %1 s since connecting.
Check the tablet&apos;s power and cable, and the line settings (Connect → Port Settings…).</translation>
    </message>
    <message>
        <source>縮尺を 1/%1 として扱います。よろしいですか？</source>
        <translation>The scale will be taken as 1/%1. Is that right?</translation>
    </message>
    <message>
        <source>縮尺の確認</source>
        <translation>Confirm Scale</translation>
    </message>
    <message>
        <source>形の崩れた記録が届いています（%1）。
記録はそのまま取り込みますが、回線の設定（速度・パリティ・データビット）がタブレットと合っているか確かめてください（接続 → ポート設定…）。</source>
        <translation>Malformed records are arriving (%1).
They are taken as they are, but check that the line settings (speed, parity, data bits) match the tablet (Connect → Port Settings…).</translation>
    </message>
</context>
<context>
    <name>digitrace::PortSettingsDialog</name>
    <message>
        <source>形式 %1 はバイナリで、報告の始まりをビット 7 で見分けます。データビット %2 ではそのビットが届かないので読めません。データビットを 8 にしてください。</source>
        <translation>Format %1 is binary and finds the start of each report by bit 7; at %2 data bits that bit never arrives, so it cannot be read. Set the data bits to 8.</translation>
    </message>
    <message>
        <source>ポート設定</source>
        <translation>Port Settings</translation>
    </message>
    <message>
        <source>ポート</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>説明</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>製造元</source>
        <translation>Manufacturer</translation>
    </message>
    <message>
        <source>シリアル番号</source>
        <translation>Serial number</translation>
    </message>
    <message>
        <source>デバイス:</source>
        <translation>Device:</translation>
    </message>
    <message>
        <source>なし</source>
        <translation>None</translation>
    </message>
    <message>
        <source>偶数</source>
        <translation>Even</translation>
    </message>
    <message>
        <source>奇数</source>
        <translation>Odd</translation>
    </message>
    <message>
        <source>マーク</source>
        <translation>Mark</translation>
    </message>
    <message>
        <source>スペース</source>
        <translation>Space</translation>
    </message>
    <message>
        <source>回線</source>
        <translation>Line</translation>
    </message>
    <message>
        <source>速度 (bps):</source>
        <translation>Speed (bps):</translation>
    </message>
    <message>
        <source>パリティ:</source>
        <translation>Parity:</translation>
    </message>
    <message>
        <source>データビット:</source>
        <translation>Data bits:</translation>
    </message>
    <message>
        <source>ストップビット:</source>
        <translation>Stop bits:</translation>
    </message>
    <message>
        <source>フロー制御:</source>
        <translation>Flow control:</translation>
    </message>
    <message>
        <source>接続中です。変更は次の接続から有効になります。</source>
        <translation>Connected: changes take effect at the next connect.</translation>
    </message>
</context>
<context>
    <name>digitrace::PublishDialog</name>
    <message>
        <source>送信を続ける</source>
        <translation>Keep sending</translation>
    </message>
    <message>
        <source>データベースへ送信</source>
        <translation>Send to database</translation>
    </message>
    <message>
        <source>接続:</source>
        <translation>Connection:</translation>
    </message>
    <message>
        <source>パスワードはここに書かず、~/.pgpass またはサービスファイル (pg_service.conf) で与えてください。</source>
        <translation>Do not write the password here: give it in ~/.pgpass or a service file (pg_service.conf).</translation>
    </message>
    <message>
        <source>空欄ならデータベースのログイン名</source>
        <translation>Empty for the database login name</translation>
    </message>
    <message>
        <source>送信者:</source>
        <translation>Sender:</translation>
    </message>
    <message>
        <source>シート名:</source>
        <translation>Sheet name:</translation>
    </message>
    <message>
        <source>図形ができるたび、また戻る・クリアのたびに、シートを送り直します。</source>
        <translation>Sends the sheet again whenever a feature is completed, and at every Back and Clear.</translation>
    </message>
    <message>
        <source>送信</source>
        <translation>Send</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>digitrace::PublishFeature</name>
    <message>
        <source>シート名が替わったので、データベースへの送信を続けるのをやめました。新しい名前で送るには ファイル → データベースへ送信… を選んでください。</source>
        <translation>The sheet was renamed, so sending to the database stopped. To send under the new name, choose File → Send to Database….</translation>
    </message>
    <message>
        <source>データベースへ送信…</source>
        <translation>Send to Database…</translation>
    </message>
    <message>
        <source>シート %1 は基準点で登録されていないので送信できません。ツール → 基準点の登録… で登録してから送信してください。</source>
        <translation>Sheet %1 cannot be sent: it is not registered by control points. Register it with Tools → Register Control Points… first.</translation>
    </message>
    <message>
        <source>シート %1 をデータベースへ送信しています…</source>
        <translation>Sending sheet %1 to the database…</translation>
    </message>
    <message>
        <source>シート %1 をデータベースへ送信しました（版 %2）。
点 %3、線 %4、多角形 %5</source>
        <translation>Sheet %1 sent to the database (revision %2).
Points %3, lines %4, polygons %5</translation>
    </message>
    <message>
        <source>上書き</source>
        <translation>Overwrite</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>データベースへ送信できませんでした。記録は作業記録に残っており、送信を続けます。
%1</source>
        <translation>Could not send to the database. The records are kept in the journal, and sending goes on.
%1</translation>
    </message>
    <message>
        <source>新しいジョブになったので、データベースへの送信を続けるのをやめました。</source>
        <translation>A new job has started: no longer sending to the database.</translation>
    </message>
    <message>
        <source>ジョブが替わったので、データベースへの送信を続けるのをやめました。</source>
        <translation>The job has been replaced: no longer sending to the database.</translation>
    </message>
    <message>
        <source>データベースへの送信を続けるのをやめました。
%1</source>
        <translation>Stopped sending to the database as records arrive.
%1</translation>
    </message>
    <message>
        <source>版 %1（%2 が %3 に送信）: 点 %4、線 %5、多角形 %6</source>
        <translation>revision %1 (sent by %2 at %3): points %4, lines %5, polygons %6</translation>
    </message>
    <message>
        <source>シート %1 は送信しませんでした。データベースのシートは版 %2 のままです。</source>
        <translation>Sheet %1 was not sent. The sheet in the database stays at revision %2.</translation>
    </message>
    <message>
        <source>データベースのシート %1 は、このジョブが送信したものではありません。
いまの内容: %2
上書きすると、このジョブの内容（点 %3、線 %4、多角形 %5）に置き換わります。</source>
        <translation>Sheet %1 in the database was not sent by this job.
It now holds %2.
Overwriting replaces it with this job&apos;s content (points %3, lines %4, polygons %5).</translation>
    </message>
    <message>
        <source>シート %1 をデータベースへ送信し続けています（データベースは版 %2）。
クリアしたあと、データベースのシートをどうしますか？

送信をやめる: データベースのシートは版 %2 のまま残ります。ファイル → 直前のクリアを取り消す で送信を再開します。
シートも空にする: データベースのシートからも図形をすべて消します。</source>
        <translation>Sheet %1 is being sent to the database as records arrive (the database holds revision %2).
After the clear, what becomes of the sheet in the database?

Stop Sending: the sheet in the database stays at revision %2. File → Undo the last clear sends again.
Empty the Sheet Too: every feature is removed from the sheet in the database as well.</translation>
    </message>
    <message>
        <source>送信をやめる</source>
        <translation>Stop Sending</translation>
    </message>
    <message>
        <source>シートも空にする</source>
        <translation>Empty the Sheet Too</translation>
    </message>
    <message>
        <source>クリアしたので、データベースへの送信を続けるのをやめました。シート %1 はデータベースで版 %2 のままです。直前のクリアを取り消すと送信を再開します。</source>
        <translation>Cleared: no longer sending to the database. Sheet %1 stays at revision %2 in the database. Undoing the clear sends again.</translation>
    </message>
    <message>
        <source>シート %1 はほかの送信で替わりました。%2</source>
        <translation>Sheet %1 was changed by another publish: %2.</translation>
    </message>
    <message>
        <source>送信を続けています: シート %1 はデータベースの版 %2 と同じです。</source>
        <translation>Sending as records arrive: sheet %1 is up to date in the database at revision %2.</translation>
    </message>
    <message>
        <source>クリアを取り消したので、シート %1 のデータベースへの送信を再開します。</source>
        <translation>The clear was undone: sending sheet %1 to the database again.</translation>
    </message>
</context>
<context>
    <name>digitrace::QtSerialPort</name>
    <message>
        <source>このデバイスを開く権限がありません。デバイスのグループ「%1」に入ってください（sudo adduser $USER %1 のあと、ログインし直す）。</source>
        <translation>You have no permission to open this device. Join the device&apos;s group &quot;%1&quot; (sudo adduser $USER %1, then log in again).</translation>
    </message>
    <message>
        <source>他のプログラムが使用中です。そのプログラムを終了してから接続してください。</source>
        <translation>Another program is using it. Quit that program, then connect.</translation>
    </message>
    <message>
        <source>デバイスが見つかりません。タブレットのケーブルがつながっているか、ポート名が正しいかを確かめてください。</source>
        <translation>The device was not found. Check that the tablet&apos;s cable is plugged in and that the port name is right.</translation>
    </message>
    <message>
        <source>デバイスが回線の設定 %1 を受け付けませんでした。ポートの設定でタブレットに合った設定を選んでください。</source>
        <translation>The device did not accept the line settings %1. Choose the settings that match the tablet in the port settings.</translation>
    </message>
    <message>
        <source>デバイスを開けませんでした。タブレットの電源とケーブルを確かめてから、もう一度接続してください。</source>
        <translation>The device could not be opened. Check the tablet&apos;s power and cable, then connect again.</translation>
    </message>
    <message>
        <source>タブレットとの回線が切れました。ケーブルと電源を確かめてから、もう一度接続してください。</source>
        <translation>The line to the tablet was cut. Check the cable and power, then connect again.</translation>
    </message>
    <message>
        <source>回線から読めなくなりました。もう一度接続してください。</source>
        <translation>The line can no longer be read. Connect again.</translation>
    </message>
</context>
<context>
    <name>digitrace::RecordDecoder</name>
    <message>
        <source>形式 %1 の記録の形に合いません</source>
        <translation>does not fit the record layout of the format %1</translation>
    </message>
    <message>
        <source>読み取りを始めたときに途中だった報告の残り %1 バイトを読み飛ばしました</source>
        <translation>skipped the last %1 byte(s) of a report that was under way when reading started</translation>
    </message>
    <message>
        <source>8 ビット目の立ったバイトがあります。回線はおそらく 7 データビット・パリティ付き (7E1 など) です。通信設定を合わせてください</source>
        <translation>has bytes with bit 8 set: the line is probably 7 data bits with parity (such as 7E1); set the line settings to match</translation>
    </message>
    <message>
        <source>ボタン %1 にはコードが割り当てられていません</source>
        <translation>button %1 has no code assigned</translation>
    </message>
    <message>
        <source>座標が 9 桁に収まりません</source>
        <translation>a coordinate does not fit in nine columns</translation>
    </message>
</context>
<context>
    <name>digitrace::RecordLog</name>
    <message>
        <source>番号</source>
        <translation>Slot</translation>
    </message>
    <message>
        <source>記録</source>
        <translation>Record</translation>
    </message>
    <message>
        <source>動作</source>
        <translation>Effect</translation>
    </message>
    <message>
        <source>注意</source>
        <translation>Note</translation>
    </message>
</context>
<context>
    <name>digitrace::RecordMonitor</name>
    <message>
        <source>記録モニタ</source>
        <translation>Record Monitor</translation>
    </message>
    <message>
        <source>毎秒 %1 件 ・ 最後の記録から %2 秒</source>
        <translation>%1 records/s · %2 s since the last record</translation>
    </message>
    <message>
        <source>毎秒 %1 件 ・ この接続での受信はまだありません</source>
        <translation>%1 records/s · nothing received on this connection yet</translation>
    </message>
    <message>
        <source>毎秒 %1 件 ・ 記録はまだありません</source>
        <translation>%1 records/s · no record yet</translation>
    </message>
    <message>
        <source>X に数字なし</source>
        <translation>no digit in X</translation>
    </message>
    <message>
        <source>Y に数字なし</source>
        <translation>no digit in Y</translation>
    </message>
    <message>
        <source>長さ違い</source>
        <translation>wrong length</translation>
    </message>
    <message>
        <source>・</source>
        <extracomment>Between the flaws of one record.</extracomment>
        <translation>, </translation>
    </message>
    <message>
        <source>開始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>頂点</source>
        <translation>Vertex</translation>
    </message>
    <message>
        <source>閉合</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>点</source>
        <translation>Point</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>End</translation>
    </message>
    <message>
        <source>拒否</source>
        <translation>Refused</translation>
    </message>
    <message>
        <source> ・ 形式に合わず拒否 %1 件</source>
        <translation> · %1 refused by the format</translation>
    </message>
</context>
<context>
    <name>digitrace::RegistrationDialog</name>
    <message>
        <source>この変換は用紙を裏返します（鏡像: 行列式が負）。地図座標の北と東の列が入れ替わっていないか確かめてください。</source>
        <translation>This transform turns the sheet over (a mirror: its determinant is negative). Check that the map&apos;s north and east columns are not swapped.</translation>
    </message>
    <message>
        <source>このまま登録しますか？</source>
        <translation>Register it anyway?</translation>
    </message>
    <message>
        <source>鏡像の変換</source>
        <translation>Mirrored transform</translation>
    </message>
    <message>
        <source>基準点の登録</source>
        <translation>Register Control Points</translation>
    </message>
    <message>
        <source>タブレットで基準点を入力すると、選択中の点（なければ新しい点）に入ります。地図座標を入力してください。</source>
        <translation>A point digitized on the tablet goes into the selected control point (or a new one). Type its map coordinates.</translation>
    </message>
    <message>
        <source>名前</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>タブレットX</source>
        <translation>Tablet X</translation>
    </message>
    <message>
        <source>タブレットY</source>
        <translation>Tablet Y</translation>
    </message>
    <message>
        <source>使用</source>
        <translation>Use</translation>
    </message>
    <message>
        <source>残差</source>
        <translation>Residual</translation>
    </message>
    <message>
        <source>点を追加</source>
        <translation>Add Point</translation>
    </message>
    <message>
        <source>点を削除</source>
        <translation>Remove Point</translation>
    </message>
    <message>
        <source>CSV読込…</source>
        <translation>Load CSV…</translation>
    </message>
    <message>
        <source>CSV保存…</source>
        <translation>Save CSV…</translation>
    </message>
    <message>
        <source>前回の基準点を読み込む</source>
        <translation>Load Last Control Points</translation>
    </message>
    <message>
        <source>%1（%2点以上）</source>
        <translation>%1 (%2 or more points)</translation>
    </message>
    <message>
        <source>変換:</source>
        <translation>Transform:</translation>
    </message>
    <message>
        <source>EPSG:6677 または WKT（空欄なら座標系なし）</source>
        <translation>EPSG:6677 or WKT (empty for no coordinate system)</translation>
    </message>
    <message>
        <source>地図座標系:</source>
        <translation>Map CRS:</translation>
    </message>
    <message>
        <source>RMS誤差:</source>
        <translation>RMS error:</translation>
    </message>
    <message>
        <source>登録</source>
        <translation>Register</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>基準点ファイル(*.csv)</source>
        <translation>Control points (*.csv)</translation>
    </message>
    <message>
        <source>用紙上 mm</source>
        <translation>Sheet mm</translation>
    </message>
    <message>
        <source>除外残差</source>
        <translation>Left-out residual</translation>
    </message>
    <message>
        <source>その点を除いた他の点による変換からの距離（地図単位）。打ち間違えた点はここで目立ちます。</source>
        <translation>Distance of the point from the transform fitted to the other points (map units). A mistyped point stands out here.</translation>
    </message>
    <message>
        <source>地図単位 %1 ／ タブレット単位 %2 ／ 用紙上 %3 mm: %4</source>
        <translation>%1 map units / %2 tablet units / %3 mm on the sheet: %4</translation>
    </message>
    <message>
        <source>基準点の誤差が用紙上で %1 mmあり、1 mmを超えています。除外残差の大きい点を確かめることをお勧めします。このまま登録しますか？</source>
        <translation>The control points misfit by %1 mm on the sheet, more than 1 mm. Checking the points with a large left-out residual is recommended. Register anyway?</translation>
    </message>
    <message>
        <source>基準点の誤差</source>
        <translation>Control point misfit</translation>
    </message>
    <message>
        <source>図郭番号など、図葉を特定する名前</source>
        <translation>A name that identifies the sheet, such as its tile number</translation>
    </message>
    <message>
        <source>シート名:</source>
        <translation>Sheet name:</translation>
    </message>
</context>
<context>
    <name>digitrace::RegistrationTable</name>
    <message>
        <source>「%1」は数値として読めません。小数点には「.」を使ってください。</source>
        <translation>&quot;%1&quot; is not a number. Use &quot;.&quot; as the decimal point.</translation>
    </message>
    <message>
        <source>基準点 %1 の座標がそろっていません。入力するか、点を削除してください。</source>
        <translation>Control point %1 lacks a coordinate. Enter it or remove the point.</translation>
    </message>
    <message>
        <source>地図座標系は基準点で登録した地図座標にだけ付けられます。</source>
        <translation>A map CRS can only be given to map coordinates registered with control points.</translation>
    </message>
    <message>
        <source>基準点の名前は%1文字までです。</source>
        <translation>A control point name has at most %1 characters.</translation>
    </message>
    <message>
        <source>このファイルの map_x, map_y は東、北の順として読みました。%1 の軸は北、東の順です。逆なら列の値を確かめてください。</source>
        <translation>This file&apos;s map_x, map_y were read as east, north. The axes of %1 are north, east. If the file holds them the other way round, check the columns&apos; values.</translation>
    </message>
</context>
<context>
    <name>digitrace::Reception</name>
    <message>
        <source>シリアルポート %1 を開けませんでした。
%2</source>
        <translation>Could not open the serial port %1.
%2</translation>
    </message>
    <message>
        <source>受信した記録が多すぎて取り込みが追いつかず、%1 件の記録を捨てました。
取り込みを待てる記録は %2 件までです。</source>
        <translation>Records arrived faster than they could be taken, and %1 records were dropped.
At most %2 records can wait to be taken.</translation>
    </message>
    <message>
        <source>シリアルポート %1 との接続が切れました。
%2
受信した記録はそのまま残っています。</source>
        <translation>The connection to the serial port %1 was lost.
%2
The records received are kept.</translation>
    </message>
</context>
<context>
    <name>digitrace::SheetPublisher</name>
    <message>
        <source>クラス %1 のビューは %2 です (データベースの名前は %3 バイトまでで、ほかの名前と重ならないようにしました)</source>
        <translation>The view of class %1 is %2 (names in the database are at most %3 bytes and must not clash with other names)</translation>
    </message>
    <message>
        <source>クラス %1 の欄 %2 は、ビュー %3 では列 %4 です</source>
        <translation>The field %2 of class %1 is the column %4 in the view %3</translation>
    </message>
    <message>
        <source>クラス %1 の名前をデータベースの名前にできません</source>
        <translation>The names of class %1 cannot be made into database names</translation>
    </message>
    <message>
        <source>クラス %1 のビューを作れません: %2</source>
        <translation>Cannot create the view of class %1: %2</translation>
    </message>
    <message>
        <source>データベースの表にクラスの列を足せません: %1</source>
        <translation>Cannot add the class columns to the database tables: %1</translation>
    </message>
    <message>
        <source>クラス %1 の図形 %2 個は %3 なので、クラスのビューには出ません (表 %4 にクラスとともにあります)</source>
        <translation>%2 feature(s) of class %1 are of kind %3 and do not show in the class’s view (they are in the table %4 with their class)</translation>
    </message>
    <message>
        <source>シート名がありません。図葉の名前 (例: 図郭番号) を入れてください</source>
        <translation>The sheet has no name. Enter the name of the map sheet (for example its tile id)</translation>
    </message>
    <message>
        <source>シート名 &quot;%1&quot; は使えません: 前後の空白と制御文字のない 200 文字までの名前にしてください</source>
        <translation>The sheet name &quot;%1&quot; cannot be used: give a name of up to 200 characters without leading or trailing blanks or control characters</translation>
    </message>
    <message>
        <source>データベース %1 にログインできません: 利用者名かパスワード (~/.pgpass かサービスファイル) を確かめてください。サーバーの応答: %2</source>
        <translation>Cannot log in to the database %1: check the user name or the password (~/.pgpass or a service file). The server said: %2</translation>
    </message>
    <message>
        <source>データベース %1 に接続できません: サーバーが応答しません (ホスト名、ポート、ネットワークを確かめてください)。理由: %2</source>
        <translation>Cannot connect to the database %1: no server answers (check the host name, the port and the network). Reason: %2</translation>
    </message>
    <message>
        <source>登録に地図座標系がありません。共有データベースの図葉は同じ座標系で重なるので、EPSGコードのある座標系で登録してください</source>
        <translation>The registration has no map coordinate system. Sheets in a shared database fit together in one coordinate system: register with a coordinate system that has an EPSG code</translation>
    </message>
    <message>
        <source>座標系 %1 にEPSGコードが見つかりません</source>
        <translation>The coordinate system %1 has no EPSG code</translation>
    </message>
    <message>
        <source>シート %1 は登録されていないので送信できません: 地図座標がありません。基準点で登録してから送信してください</source>
        <translation>The sheet %1 cannot be published because it is not registered: it has no map coordinates. Register it with control points, then publish</translation>
    </message>
    <message>
        <source>シートの行が読めません</source>
        <translation>Cannot read the sheet&apos;s row</translation>
    </message>
    <message>
        <source>データベースの表は EPSG:%1 で、このシートの座標系は EPSG:%2 です。同じ座標系で登録したシートだけを送信できます</source>
        <translation>The database&apos;s tables are in EPSG:%1 and this sheet is in EPSG:%2. Only sheets registered in the same coordinate system can be published</translation>
    </message>
    <message>
        <source>シート %1 は別の送信で更新されています (送信者: %2、日時: %3、版 %4)。このジョブの内容で置き換えるには上書きしてください</source>
        <translation>The sheet %1 was updated by another publish (published by: %2, at: %3, revision %4). Overwrite to replace it with this job&apos;s content</translation>
    </message>
    <message>
        <source>データベースの指定 %1 は PG: で始まるGDALの接続文字列ではありません (例: PG:host=server dbname=maps)</source>
        <translation>The database %1 is not a GDAL connection string starting with PG: (for example PG:host=server dbname=maps)</translation>
    </message>
    <message>
        <source>データベースに digitrace の表を作れません: %1</source>
        <translation>Cannot create the digitrace tables in the database: %1</translation>
    </message>
    <message>
        <source>シート %1 を送信できませんでした。データベースは送信前のままです: %2</source>
        <translation>The sheet %1 could not be published. The database is as it was before: %2</translation>
    </message>
    <message>
        <source>シート %1 の送信がデータベースで確定したか分かりません。接続を確かめて、もう一度送信してください: %2</source>
        <translation>It is not known whether the database committed the publish of the sheet %1. Check the connection and publish again: %2</translation>
    </message>
    <message>
        <source>データベースの指定 %1 が読めません: %2</source>
        <translation>Cannot read the database connection %1: %2</translation>
    </message>
    <message>
        <source>キーワード=値 か postgresql:// の形で書いてください</source>
        <translation>write it as keyword=value pairs or as a postgresql:// URI</translation>
    </message>
    <message>
        <source>(パスワードを含むので表示しません)</source>
        <translation>(not shown: it holds a password)</translation>
    </message>
    <message>
        <source>メモリが足りません</source>
        <translation>out of memory</translation>
    </message>
    <message>
        <source>データベース %1 にスキーマ %2 がありません (active_schema)。名前を確かめるか、管理者にスキーマを作ってもらってください</source>
        <translation>The database %1 has no schema %2 (active_schema). Check the name, or ask the administrator to create the schema</translation>
    </message>
    <message>
        <source>値に NUL 文字 (U+0000) があり、データベースに保存できません</source>
        <translation>A value holds a NUL character (U+0000), which the database cannot store</translation>
    </message>
    <message>
        <source>サーバーが理由を返しませんでした</source>
        <translation>The server gave no reason</translation>
    </message>
    <message>
        <source>データベースサーバーのディスクがいっぱいです。管理者に空きを作ってもらってください (%1)</source>
        <translation>The database server&apos;s disk is full. Ask the administrator to free space (%1)</translation>
    </message>
    <message>
        <source>%1 がありません</source>
        <translation>%1 is missing</translation>
    </message>
    <message>
        <source>%1 は %2 で、%3 ではありません</source>
        <translation>%1 is %2, not %3</translation>
    </message>
    <message>
        <source>データベースの digitrace の表が、このプログラムの作る形と違うので送信しません (データベースは何も変えていません): %1</source>
        <translation>The digitrace tables in the database differ from the ones this program makes, so nothing is sent (the database was not changed): %1</translation>
    </message>
</context>
<context>
    <name>digitrace::EdgeFeature</name>
    <message>
        <source>隣接図葉を表示</source>
        <translation>Show Neighbouring Sheets</translation>
    </message>
    <message>
        <source>隣の図葉がデータベースに送信した図形を、図郭の近くに薄く重ねて表示します。相手のない端を印で示します</source>
        <translation>Shows the features the neighbouring sheets published to the database faded near the sheet&apos;s edge, and marks the ends that have no partner</translation>
    </message>
    <message>
        <source>隣接図葉を表示するには、シートを登録して名前を付け、データベースへ送信してください (ファイル → データベースへ送信…)</source>
        <translation>To show the neighbouring sheets, register the sheet, name it and publish it to the database (File → Publish to Database…)</translation>
    </message>
    <message>
        <source>隣接図葉を表示できません: 登録の変換が求まりません</source>
        <translation>Cannot show the neighbouring sheets: the registration fits no transform</translation>
    </message>
    <message>
        <source>隣接図葉を表示できません: %1</source>
        <translation>Cannot show the neighbouring sheets: %1</translation>
    </message>
    <message>
        <source>隣接図葉: 図形 %1 個、図郭で接合した端 %2 か所、相手のない端 %3 か所 (この図葉) と %4 か所 (隣接図葉)</source>
        <translation>Neighbouring sheets: %1 features, %2 ends matched at the edge, %3 ends without a partner on this sheet and %4 on the neighbours</translation>
    </message>
</context>
<context>
    <name>digitrace::EdgeMatch</name>
    <message>
        <source>シート %1 はまだ送信されていません。隣接図葉との接合は、送信した図郭で調べます。先に送信してください</source>
        <translation>Sheet %1 has not been published yet. Edges are matched along the published outline: publish the sheet first</translation>
    </message>
    <message>
        <source>データベースの指定 %1 は PG: で始まるGDALの接続文字列ではありません</source>
        <translation>The database %1 is not a GDAL connection string beginning with PG:</translation>
    </message>
    <message>
        <source>接合の許容距離 %1 が使えません: 0 以上の有限の値にしてください</source>
        <translation>The edge tolerance %1 cannot be used: give a finite value of 0 or more</translation>
    </message>
    <message>
        <source>送信済みの図葉を読めません: %1</source>
        <translation>Cannot read the published sheets: %1</translation>
    </message>
    <message>
        <source>シート %1 は座標系 %2 で送信されていて、いまの登録 (%3) と違います。送信し直してから調べてください</source>
        <translation>Sheet %1 was published in the coordinate system %2, not in that of the current registration (%3). Publish it again, then check</translation>
    </message>
    <message>
        <source>シート %1 の図郭が読めません</source>
        <translation>Cannot read the outline of sheet %1</translation>
    </message>
    <message>
        <source>隣接図葉の図形を読めません: %1</source>
        <translation>Cannot read the features of the neighbouring sheets: %1</translation>
    </message>
    <message>
        <source>隣接図葉 %1 の図形 %2 が読めません</source>
        <translation>Cannot read feature %2 of the neighbouring sheet %1</translation>
    </message>
    <message>
        <source>シート %1 は登録されていないので、図郭の接合を調べられません</source>
        <translation>Sheet %1 is not registered, so its edges cannot be matched</translation>
    </message>
</context>
<context>
    <name>digitrace::SheetRegistration</name>
    <message>
        <source>基準点の登録…</source>
        <translation>Register Control Points…</translation>
    </message>
</context>
<context>
    <name>digitrace::SnapFeature</name>
    <message>
        <source>スナップ</source>
        <translation>Snapping</translation>
    </message>
    <message>
        <source>境界をなぞる</source>
        <translation>Follow boundary</translation>
    </message>
    <message>
        <source>次に押す頂点から、同じ地物のもう一つの頂点までをなぞります</source>
        <translation>Follows a feature from the vertex pressed next to another of its vertices pressed after it</translation>
    </message>
    <message>
        <source>オフ</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>%1 mm</source>
        <translation>%1 mm</translation>
    </message>
</context>
<context>
    <name>digitrace::StatusLine</name>
    <message>
        <source>マウス</source>
        <translation>Mouse</translation>
    </message>
    <message>
        <source>カーソル</source>
        <translation>Puck</translation>
    </message>
    <message>
        <source>接続中</source>
        <translation>Connected</translation>
    </message>
    <message>
        <source>未接続</source>
        <translation>Not connected</translation>
    </message>
    <message>
        <source>%1 件/秒</source>
        <translation>%1 records/s</translation>
    </message>
    <message>
        <source>未保存の記録あり</source>
        <translation>Unsaved records</translation>
    </message>
    <message>
        <source>保存済み</source>
        <translation>Saved</translation>
    </message>
    <message>
        <source>タブレット %1</source>
        <translation>Tablet %1</translation>
    </message>
    <message>
        <source>地図 %1</source>
        <translation>Map %1</translation>
    </message>
    <message>
        <source>ジョブ %1</source>
        <translation>Job %1</translation>
    </message>
    <message>
        <source>クリアした記録は未保存（取り消せます）</source>
        <translation>Cleared records not saved (can be undone)</translation>
    </message>
    <message>
        <source>シート %1</source>
        <translation>Sheet %1</translation>
    </message>
</context>
<context>
    <name>digitrace::TabletFormats</name>
    <message>
        <source>ASCII「XXXX,YYYY,F」</source>
        <translation>ASCII &quot;XXXX,YYYY,F&quot;</translation>
    </message>
    <message>
        <source>ASCII「X,Y,B」</source>
        <translation>ASCII &quot;X,Y,B&quot;</translation>
    </message>
    <message>
        <source>5 バイトのバイナリ</source>
        <translation>5-byte binary</translation>
    </message>
    <message>
        <source>7 バイトのバイナリ</source>
        <translation>7-byte binary</translation>
    </message>
    <message>
        <source>6 バイトのバイナリ</source>
        <translation>6-byte binary</translation>
    </message>
    <message>
        <source>カスタム</source>
        <translation>Custom</translation>
    </message>
    <message>
        <source>19 桁の固定記録（標準）</source>
        <translation>19-column fixed record (standard)</translation>
    </message>
</context>
<context>
    <name>digitrace::TabletUnitBox</name>
    <message>
        <source>タブレット</source>
        <translation>Tablet</translation>
    </message>
    <message>
        <source>0.1 mm 単位で数えるタブレットは 0.1、0.001 インチ単位なら 0.0254</source>
        <translation>0.1 for a tablet counting in 0.1 mm, 0.0254 for one counting in 0.001 inch</translation>
    </message>
    <message>
        <source>その他</source>
        <translation>Other</translation>
    </message>
    <message>
        <source>1000 lpi（0.0254 mm）</source>
        <translation>1000 lpi (0.0254 mm)</translation>
    </message>
    <message>
        <source>100 lpmm（0.01 mm）</source>
        <translation>100 lpmm (0.01 mm)</translation>
    </message>
    <message>
        <source>よく使われる分解能</source>
        <translation>Common resolutions</translation>
    </message>
    <message>
        <source>1 タブレット単位 =</source>
        <translation>1 tablet unit =</translation>
    </message>
</context>
<context>
    <name>digitrace::TraceModel</name>
    <message>
        <source>デジタイザートレース</source>
        <translation>Digitizer Trace</translation>
    </message>
    <message>
        <source>デジタイザートレース [ 保存ファイル名: %1 ]</source>
        <translation>Digitizer Trace [ Save file: %1 ]</translation>
    </message>
    <message>
        <source>デジタイザートレース (保存ファイル名未設定)</source>
        <translation>Digitizer Trace (no save file yet)</translation>
    </message>
</context>
<context>
    <name>digitrace::TraceNavigation</name>
    <message>
        <source>全体表示</source>
        <translation>Whole trace</translation>
    </message>
    <message>
        <source>拡大</source>
        <translation>Zoom in</translation>
    </message>
    <message>
        <source>縮小</source>
        <translation>Zoom out</translation>
    </message>
</context>
<context>
    <name>digitrace::TransformFit</name>
    <message>
        <source>相似変換</source>
        <translation>similarity transform</translation>
    </message>
    <message>
        <source>アフィン変換</source>
        <translation>affine transform</translation>
    </message>
    <message>
        <source>射影変換</source>
        <translation>projective transform</translation>
    </message>
    <message>
        <source>%1には使用する基準点が%2点以上必要です(現在%3点)。</source>
        <translation>The %1 needs at least %2 control points in use (now %3).</translation>
    </message>
    <message>
        <source>基準点のタブレット座標がすべて重なっています。</source>
        <translation>The tablet coordinates of the control points all coincide.</translation>
    </message>
    <message>
        <source>基準点の地図座標がすべて重なっています。</source>
        <translation>The map coordinates of the control points all coincide.</translation>
    </message>
    <message>
        <source>基準点の地図座標が一直線上に並んでいるため、%1を求められません。</source>
        <translation>The map coordinates of the control points lie on one straight line, so no %1 can be found.</translation>
    </message>
    <message>
        <source>基準点の並びがタブレットと地図で食い違っている（点の取り違えや交差）ため、%1を求められません。各点の地図座標が正しい点に入っているか確かめてください。</source>
        <translation>The control points are in a different order on the tablet and on the map (points mixed up or crossed), so no %1 can be found. Check that each point has its own map coordinates.</translation>
    </message>
    <message>
        <source>基準点のタブレット座標が一直線上に並んでいるため、%1を求められません。</source>
        <translation>The tablet coordinates of the control points lie on one straight line, so no %1 can be found.</translation>
    </message>
    <message>
        <source>4点のうち3点が一直線上に並んでいるため、%1を求められません。点を増やすか配置を変えてください。</source>
        <translation>Three of the four points lie on one straight line, so no %1 can be found. Add points or place them differently.</translation>
    </message>
    <message>
        <source>基準点 %1 の座標が大きすぎます（絶対値 %2 まで）。入力の誤りを確かめてください。</source>
        <translation>The coordinates of control point %1 are too large (at most %2 in absolute value). Check what was typed.</translation>
    </message>
    <message>
        <source>基準点の座標の桁が大きすぎるため、%1の誤差を計算できません。</source>
        <translation>The control point coordinates are too large to compute the misfit of the %1.</translation>
    </message>
</context>
<context>
    <name>digitrace::UnattendedDemo</name>
    <message>
        <source>画像 %1 を保存できませんでした。</source>
        <translation>Could not save the picture %1.</translation>
    </message>
</context>
<context>
    <name>digitrace::WorkList</name>
    <message>
        <source>作業リスト</source>
        <translation>Work List</translation>
    </message>
    <message>
        <source>記録 %1  %2: %3 が空です</source>
        <translation>Record %1  %2: %3 empty</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
</context>
<context>
    <name>digitrace::WindowDialogs</name>
    <message>
        <source>デジタイザートレース</source>
        <translation>Digitizer Trace</translation>
    </message>
</context>
<context>
    <name>digitrace::frmTrace1</name>
    <message>
        <source>デジタイザートレース</source>
        <translation>Digitizer Trace</translation>
    </message>
    <message>
        <source>接続</source>
        <translation>Connect</translation>
    </message>
    <message>
        <source>切断</source>
        <translation>Disconnect</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙ</source>
        <translation>File</translation>
    </message>
    <message>
        <source>縮尺 1/</source>
        <translation>Scale 1/</translation>
    </message>
    <message>
        <source>Points:</source>
        <translation>Points:</translation>
    </message>
    <message>
        <source>Lines:</source>
        <translation>Lines:</translation>
    </message>
    <message>
        <source>Polygons:</source>
        <translation>Polygons:</translation>
    </message>
    <message>
        <source>長さ:</source>
        <translation>Length:</translation>
    </message>
    <message>
        <source>面積:</source>
        <translation>Area:</translation>
    </message>
    <message>
        <source>ｸﾘｱ</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>戻る</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>現在の記録に続けて受信しますか？</source>
        <translation>Continue receiving after the current records?</translation>
    </message>
    <message>
        <source>続ける</source>
        <translation>Continue</translation>
    </message>
    <message>
        <source>新しいジョブ</source>
        <translation>New job</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>画面をクリアしてもよいですか？</source>
        <translation>Clear the screen?</translation>
    </message>
    <message>
        <source>確認</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>記録表がいっぱいです（%1 件）。これ以上の記録は受け付けません。</source>
        <translation>The record table is full (%1 records). No more records are taken.</translation>
    </message>
    <message>
        <source>座標が大きすぎる記録を受け付けませんでした。</source>
        <translation>A record with coordinates too large was refused.</translation>
    </message>
    <message>
        <source>ファイル(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>DXF出力…</source>
        <translation>Export DXF…</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>接続(&amp;C)</source>
        <translation>&amp;Connection</translation>
    </message>
    <message>
        <source>編集(&amp;E)</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>クリア…</source>
        <translation>Clear…</translation>
    </message>
    <message>
        <source>表示(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>ツールバー</source>
        <translation>Toolbar</translation>
    </message>
    <message>
        <source>接続・保存・縮尺と計測値</source>
        <translation>Connection, saving, scale and measurements</translation>
    </message>
    <message>
        <source>描画領域</source>
        <translation>Drawing area</translation>
    </message>
    <message>
        <source>受信した記録の図。ホイールで拡大縮小、ドラッグで移動、Home で全体表示</source>
        <translation>The picture of the records received. Wheel to zoom, drag to move, Home for the whole trace</translation>
    </message>
    <message>
        <source>タブレットに接続して受信を始めます (F5)</source>
        <translation>Connects to the tablet and starts receiving (F5)</translation>
    </message>
    <message>
        <source>受信を終えてポートを閉じます (Shift+F5)</source>
        <translation>Stops receiving and closes the port (Shift+F5)</translation>
    </message>
    <message>
        <source>DXF出力</source>
        <translation>Export DXF</translation>
    </message>
    <message>
        <source>記録を DXF ファイルに保存します (Ctrl+E)</source>
        <translation>Saves the records as a DXF file (Ctrl+E)</translation>
    </message>
    <message>
        <source>縮尺の分母</source>
        <translation>Scale denominator</translation>
    </message>
    <message>
        <source>地図の縮尺 1/N の N。接続のたびに読み取ります</source>
        <translation>N of the map scale 1/N. Read at each connect</translation>
    </message>
    <message>
        <source>点の数</source>
        <translation>Number of points</translation>
    </message>
    <message>
        <source>記録した単独の点の数</source>
        <translation>The number of single points recorded</translation>
    </message>
    <message>
        <source>線の数</source>
        <translation>Number of lines</translation>
    </message>
    <message>
        <source>記録した線の数</source>
        <translation>The number of lines recorded</translation>
    </message>
    <message>
        <source>多角形の数</source>
        <translation>Number of polygons</translation>
    </message>
    <message>
        <source>閉じた多角形の数</source>
        <translation>The number of closed polygons</translation>
    </message>
    <message>
        <source>最新の線分の長さ</source>
        <translation>Newest segment length</translation>
    </message>
    <message>
        <source>最後に記録した線分の長さ</source>
        <translation>The length of the last segment recorded</translation>
    </message>
    <message>
        <source>全長または周長</source>
        <translation>Total length or perimeter</translation>
    </message>
    <message>
        <source>現在の線の全長、または最後の多角形の周長</source>
        <translation>The total length of the current line, or the perimeter of the last polygon</translation>
    </message>
    <message>
        <source>面積</source>
        <translation>Area</translation>
    </message>
    <message>
        <source>最後に閉じた多角形の面積</source>
        <translation>The area of the last closed polygon</translation>
    </message>
    <message>
        <source>クリア</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>記録をすべて消して新しく始めます (Ctrl+Delete)</source>
        <translation>Deletes every record and starts afresh (Ctrl+Delete)</translation>
    </message>
    <message>
        <source>最後の記録を取り消します (Ctrl+Z)</source>
        <translation>Takes back the last record (Ctrl+Z)</translation>
    </message>
    <message>
        <source>ツール(&amp;T)</source>
        <translation>&amp;Tools</translation>
    </message>
    <message>
        <source>ヘルプ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
</context>
<context>
    <name>digitrace::saveTrace</name>
    <message>
        <source>DXFﾌｧｲﾙ(*.dxf)</source>
        <translation>DXF files (*.dxf)</translation>
    </message>
</context>
<context>
    <name>digitrace::JournalProblem</name>
    <message>
        <source>最後の行が途中で切れています。</source>
        <translation>The last line is cut off.</translation>
    </message>
    <message>
        <source>先頭の見出し行が壊れています。</source>
        <translation>The header line at the start is damaged.</translation>
    </message>
    <message>
        <source>%1 行目が壊れています。</source>
        <translation>Line %1 is damaged.</translation>
    </message>
    <message>
        <source>%1 行目は読めない記録です。</source>
        <translation>Line %1 is not a readable entry.</translation>
    </message>
    <message>
        <source>%1 行目の縮尺 1/%2 は正の有限の数ではありません。</source>
        <translation>The scale 1/%2 on line %1 is not a finite positive number.</translation>
    </message>
    <message>
        <source>%1 行目のタブレットの単位 %2 mm は範囲外です。</source>
        <translation>The tablet unit %2 mm on line %1 is out of range.</translation>
    </message>
    <message>
        <source>%1 行目が長すぎるため、その先は読んでいません。</source>
        <translation>Line %1 is too long; nothing after it was read.</translation>
    </message>
    <message>
        <source>%1 行目で読み取りに失敗しました: %2</source>
        <translation>Reading failed at line %1: %2</translation>
    </message>
</context>
<context>
    <name>digitrace::ClassCatalogue</name>
    <message>
        <source>クラス名は [名前] の形で書いてください</source>
        <translation>Write a class name as [name]</translation>
    </message>
    <message>
        <source>クラス %1 が二度あります</source>
        <translation>The class %1 is there twice</translation>
    </message>
    <message>
        <source>「キー = 値」の形になっていません</source>
        <translation>This is not of the form “key = value”</translation>
    </message>
    <message>
        <source>最初のクラス名 [名前] より前に設定があります</source>
        <translation>A setting comes before the first class name [name]</translation>
    </message>
    <message>
        <source>%1 が二度あります</source>
        <translation>%1 is there twice</translation>
    </message>
    <message>
        <source>kind は point、line、polygon のどれかです</source>
        <translation>kind is one of point, line and polygon</translation>
    </message>
    <message>
        <source>colour は #rrggbb の形で書いてください</source>
        <translation>Write colour as #rrggbb</translation>
    </message>
    <message>
        <source>layer が空です</source>
        <translation>layer is empty</translation>
    </message>
    <message>
        <source>button はボタンが送るコード 3 から %1 です (1 は始点、2 は頂点)</source>
        <translation>button is the code its press sends, 3 to %1 (1 starts a line, 2 adds a vertex)</translation>
    </message>
    <message>
        <source>ボタン %1 はクラス %2 が使っています</source>
        <translation>Button %1 is taken by the class %2</translation>
    </message>
    <message>
        <source>知らないキー %1 です</source>
        <translation>%1 is not a key of the catalogue</translation>
    </message>
    <message>
        <source>field には名前と型を書いてください</source>
        <translation>Give a field its name and its type</translation>
    </message>
    <message>
        <source>型 %1 は text、integer、real、choice、date のどれでもありません</source>
        <translation>The type %1 is none of text, integer, real, choice and date</translation>
    </message>
    <message>
        <source>choice には 値|値|… を続けてください</source>
        <translation>Follow choice with its values as value|value|…</translation>
    </message>
    <message>
        <source>choice の値に空のものがあります</source>
        <translation>One of the values of choice is empty</translation>
    </message>
    <message>
        <source>step は integer か real の欄に、正の数で書きます（integer は整数）</source>
        <translation>step belongs to an integer or real field and is a positive number (a whole number for integer)</translation>
    </message>
    <message>
        <source>field の %1 が読めません</source>
        <translation>%1 in field does not read</translation>
    </message>
    <message>
        <source>既定値 %1 は欄の型に合いません</source>
        <translation>The default %1 does not fit the field's type</translation>
    </message>
    <message>
        <source>欄 %1 が二度あります</source>
        <translation>The field %1 is there twice</translation>
    </message>
    <message>
        <source>クラス %1 に kind がありません</source>
        <translation>The class %1 has no kind</translation>
    </message>
    <message>
        <source>クラスが一つもありません</source>
        <translation>There is no class</translation>
    </message>
    <message>
        <source>%1 行目: %2</source>
        <translation>Line %1: %2</translation>
    </message>
</context>
<context>
    <name>digitrace::TabletCommand</name>
    <message>
        <source>次のクラス</source>
        <translation>Next class</translation>
    </message>
    <message>
        <source>上げる</source>
        <translation>Up</translation>
    </message>
    <message>
        <source>下げる</source>
        <translation>Down</translation>
    </message>
    <message>
        <source>同じ値</source>
        <translation>Same value</translation>
    </message>
    <message>
        <source>一つ戻す</source>
        <translation>Back one</translation>
    </message>
    <message>
        <source>クリアを取り消す</source>
        <translation>Undo clear</translation>
    </message>
    <message>
        <source>多角形を閉じる</source>
        <translation>Close polygon</translation>
    </message>
    <message>
        <source>境界をなぞる</source>
        <translation>Follow boundary</translation>
    </message>
</context>
<context>
    <name>digitrace::TabletMenu</name>
    <message>
        <source>%1 行目: %2</source>
        <translation>line %1: %2</translation>
    </message>
    <message>
        <source>大きさは「180 x 30」のように %1〜%2 mm で書いてください</source>
        <translation>Write the size like “180 x 30”, %1 to %2 mm</translation>
    </message>
    <message>
        <source>升目は「列 x 行」を 1〜%1 の整数で書いてください</source>
        <translation>Write the grid as “columns x rows”, whole numbers 1 to %1</translation>
    </message>
    <message>
        <source>「%1」はクラス (class:名前) でもコマンドでもありません</source>
        <translation>“%1” is neither a class (class:name) nor a command</translation>
    </message>
    <message>
        <source>位置は向かい合う二つの角の座標「x1 y1 x2 y2」で書いてください</source>
        <translation>Write the area as two opposite corners “x1 y1 x2 y2”</translation>
    </message>
    <message>
        <source>「%1」は読めません (size, grid, cells, area のどれかです)</source>
        <translation>Cannot read “%1” (it must be size, grid, cells or area)</translation>
    </message>
    <message>
        <source>セルは %1 個まで (列 x 行)、「cells = …」に「|」で区切って書いてください</source>
        <translation>Write at most %1 cells (columns x rows) in “cells = …”, separated by “|”</translation>
    </message>
</context>
<context>
    <name>digitrace::TabletMenuDialog</name>
    <message>
        <source>タブレットメニュー</source>
        <translation>Tablet menu</translation>
    </message>
    <message>
        <source>大きさ (mm)、升目 (列 x 行)、セル (class:クラス名 または next-class, up, down, same, back, clear-undo, close-polygon)</source>
        <translation>Size (mm), grid (columns x rows), cells (class:name or next-class, up, down, same, back, clear-undo, close-polygon)</translation>
    </message>
    <message>
        <source>印刷用メニュー…</source>
        <translation>Menu to print…</translation>
    </message>
    <message>
        <source>角を押して登録</source>
        <translation>Place by pressing corners</translation>
    </message>
    <message>
        <source>メニューを外す</source>
        <translation>Remove menu</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>タブレットで、印刷したメニューの ① の角を押してください。</source>
        <translation>On the tablet, press corner ① of the printed menu.</translation>
    </message>
    <message>
        <source>メニューは外されました。押した位置はすべて記録になります。</source>
        <translation>The menu is removed. Every press is a record again.</translation>
    </message>
    <message>
        <source>登録済みです。メニューの中を押すとそのセルのコマンドになります。</source>
        <translation>Placed. A press inside the menu is its cell’s command.</translation>
    </message>
    <message>
        <source>まだタブレットに登録されていません。</source>
        <translation>Not placed on the tablet yet.</translation>
    </message>
    <message>
        <source>① を受け取りました (%1, %2)。向かいの ② の角を押してください。</source>
        <translation>Corner ① taken (%1, %2). Now press the opposite corner ②.</translation>
    </message>
    <message>
        <source>押した角の間隔 %1 × %2 mm が印刷の大きさ %3 × %4 mm と合いません。① の角からもう一度押してください。</source>
        <translation>The pressed corners are %1 × %2 mm apart, which does not match the printed size %3 × %4 mm. Press corner ① again.</translation>
    </message>
    <message>
        <source>二つの角が同じ縦か横の線上にあります。① の角からもう一度押してください。</source>
        <translation>The two corners lie on one vertical or horizontal line. Press corner ① again.</translation>
    </message>
    <message>
        <source>登録しました。メニューの中を押すとそのセルのコマンドになります。</source>
        <translation>Placed. A press inside the menu is its cell’s command.</translation>
    </message>
</context>
<context>
    <name>digitrace::TabletMenuFeature</name>
    <message>
        <source>タブレットメニュー…</source>
        <translation>Tablet menu…</translation>
    </message>
    <message>
        <source>PDF (*.pdf)</source>
        <translation>PDF (*.pdf)</translation>
    </message>
    <message>
        <source>タブレットメニューを %1 に書き出しました。拡大・縮小なし (実寸) で印刷してください。</source>
        <translation>Wrote the tablet menu to %1. Print it at actual size, without scaling.</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
</context>
<context>
    <name>digitrace::TabletMenuPicture</name>
    <message>
        <source>digitrace タブレットメニュー  %1 × %2 mm  (実寸で印刷してください)</source>
        <translation>digitrace tablet menu  %1 × %2 mm  (print at actual size)</translation>
    </message>
    <message>
        <source>← 50 mm。長さが違えば拡大・縮小なしで印刷し直してください</source>
        <translation>← 50 mm. If it measures otherwise, print again without scaling</translation>
    </message>
    <message>
        <source>① ここを押す</source>
        <translation>① press here</translation>
    </message>
    <message>
        <source>② ここを押す</source>
        <translation>② press here</translation>
    </message>
    <message>
        <source>%1 に書き込めません: %2</source>
        <translation>Cannot write to %1: %2</translation>
    </message>
    <message>
        <source>digitrace タブレットメニュー</source>
        <translation>digitrace tablet menu</translation>
    </message>
    <message>
        <source>PDF を作れません: %1</source>
        <translation>Cannot make the PDF %1</translation>
    </message>
    <message>
        <source>%1 を書き終えられませんでした (元のファイルはそのままです): %2</source>
        <translation>Could not finish writing %1 (any earlier file is unchanged): %2</translation>
    </message>
</context>
<context>
    <name>digitrace::TracingSession</name>
    <message>
        <source>クラス一覧が読み込まれていません</source>
        <translation>No class catalogue is in use</translation>
    </message>
    <message>
        <source>クラス一覧にクラス「%1」はありません</source>
        <translation>The class catalogue has no class “%1”</translation>
    </message>
    <message>
        <source>戻す記録がありません</source>
        <translation>There is no record to take back</translation>
    </message>
    <message>
        <source>取り消せるクリアがありません</source>
        <translation>There is no clear to undo</translation>
    </message>
    <message>
        <source>閉じる線がありません (3 点以上の線が要ります)</source>
        <translation>There is no line to close (it needs 3 or more points)</translation>
    </message>
    <message>
        <source>なぞる地物がありません</source>
        <translation>There is no feature to follow</translation>
    </message>
    <message>
        <source>押した点はどの地物の頂点でもありません</source>
        <translation>The press is on no vertex of a feature</translation>
    </message>
    <message>
        <source>なぞった頂点を続ける線がありません</source>
        <translation>There is no line for the followed vertices to continue</translation>
    </message>
    <message>
        <source>押した点は同じ地物の頂点ではありません</source>
        <translation>The press is on no other vertex of the same feature</translation>
    </message>
</context>
<context>
    <name>digitrace::Topology</name>
    <message>
        <source>不正な多角形です（自己交差など）</source>
        <translation>Invalid polygon (it crosses itself or the like)</translation>
    </message>
    <message>
        <source>線の端が他の地物を越えています</source>
        <translation>A line&apos;s end runs past another feature</translation>
    </message>
    <message>
        <source>線の端が他の地物に届いていません</source>
        <translation>A line&apos;s end stops short of another feature</translation>
    </message>
    <message>
        <source>同じ地物が二度トレースされています</source>
        <translation>The same feature is traced twice</translation>
    </message>
    <message>
        <source>同じクラスの多角形が重なっています</source>
        <translation>Polygons of the same class overlap</translation>
    </message>
    <message>
        <source>同じクラスの多角形の間に細いすき間があります</source>
        <translation>A narrow gap between polygons of the same class</translation>
    </message>
</context>
<context>
    <name>digitrace::TopologyFeature</name>
    <message>
        <source>トポロジー検査</source>
        <translation>Topology Check</translation>
    </message>
    <message>
        <source>一覧を見る</source>
        <translation>Show the List</translation>
    </message>
    <message>
        <source>このまま続ける</source>
        <translation>Go On</translation>
    </message>
    <message>
        <source>修正して続ける</source>
        <translation>Repair and Go On</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>トポロジー検査で問題が見つかりました（%1）。一覧で確かめますか？</source>
        <translation>The topology check found problems (%1). Look at them in the list?</translation>
    </message>
</context>
<context>
    <name>digitrace::TopologyList</name>
    <message>
        <source>不正な多角形</source>
        <translation>Invalid polygon</translation>
    </message>
    <message>
        <source>ぶら下がり</source>
        <translation>Dangle</translation>
    </message>
    <message>
        <source>重複</source>
        <translation>Duplicate</translation>
    </message>
    <message>
        <source>重なり</source>
        <translation>Overlap</translation>
    </message>
    <message>
        <source>すき間</source>
        <translation>Gap</translation>
    </message>
    <message>
        <source>トポロジー検査</source>
        <translation>Topology Check</translation>
    </message>
    <message>
        <source>種類</source>
        <translation>Kind</translation>
    </message>
    <message>
        <source>位置</source>
        <translation>Where</translation>
    </message>
    <message>
        <source>地物</source>
        <translation>Features</translation>
    </message>
    <message>
        <source>検査していません（ツール → トポロジー検査）</source>
        <translation>Not checked (Tools → Topology Check)</translation>
    </message>
    <message>
        <source>%1 %2</source>
        <translation>%1 %2</translation>
    </message>
    <message>
        <source>問題はありません</source>
        <translation>No problems</translation>
    </message>
    <message>
        <source>%1 件: %2</source>
        <translation>%1 found: %2</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>記録 %1</source>
        <translation>Record %1</translation>
    </message>
</context>
<context>
    <name>digitrace::TopologyRepair</name>
    <message>
        <source>地物 %1 は許容差内の頂点を合わせるとつぶれるため、そのままにしました</source>
        <translation>Feature %1 was left as it was: moving its vertices within the tolerance would collapse it</translation>
    </message>
    <message>
        <source>地物 %1 の頂点 %2 個を許容差内の他の地物に合わせました</source>
        <translation>Feature %1: %2 vertex(es) moved onto another feature within the tolerance</translation>
    </message>
    <message>
        <source>線 %1 と線 %2 の交差 %3 か所に共通の頂点を加えました</source>
        <translation>Lines %1 and %2: a shared vertex added where they cross (%3 place(s))</translation>
    </message>
    <message>
        <source>多角形 %1 は自己交差していますが、直すと二つ以上の部分に分かれるため、そのままにしました</source>
        <translation>Polygon %1 crosses itself but was left as it was: made valid, it would fall into two or more parts</translation>
    </message>
    <message>
        <source>多角形 %1 の自己交差を直しました (落とした部分の面積 %2)</source>
        <translation>Polygon %1 no longer crosses itself (area of the parts dropped: %2)</translation>
    </message>
</context>
</TS>
