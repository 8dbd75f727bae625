<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>ChartTextAlternative</name>
    <message>
        <source>速度、基準に対する割合、高いほど速い</source>
        <translation>speed, as a share of the baseline, higher is faster</translation>
    </message>
    <message>
        <source>時間、秒、低いほど速い</source>
        <translation>time, seconds, lower is faster</translation>
    </message>
    <message>
        <source> (基準)</source>
        <translation> (baseline)</translation>
    </message>
    <message>
        <source>計測なし</source>
        <translation>not measured</translation>
    </message>
    <message>
        <source>、! 計測中にマシンが他の処理で混んでいた</source>
        <translation>, ! the machine was busy with other work during the measurement</translation>
    </message>
    <message>
        <source>%1 のグラフ</source>
        <translation>%1 chart</translation>
    </message>
    <message>
        <source>%1 の表</source>
        <translation>%1 table</translation>
    </message>
    <message>
        <source>、基準より %1 速い (%2)</source>
        <translation>, %1 faster than the baseline (%2)</translation>
    </message>
</context>
<context>
    <name>ComparisonChart</name>
    <message>
        <source>(基準)</source>
        <translation>(baseline)</translation>
    </message>
    <message>
        <source>速度: 基準に対する割合、高いほど速い</source>
        <translation>rate against the baseline, higher is faster</translation>
    </message>
    <message>
        <source>時間: 秒、低いほど速い</source>
        <translation>time in seconds, lower is faster</translation>
    </message>
    <message>
        <source>秒</source>
        <translation>seconds</translation>
    </message>
    <message>
        <source>基準比 %</source>
        <translation>% of the baseline</translation>
    </message>
    <message>
        <source> (0.1 秒単位)</source>
        <translation> (to tenths of a second)</translation>
    </message>
    <message>
        <source>差はすべて基準より速い割合 (+ が速い)。▲ 速い・▼ 遅い: 繰り返しの差がノイズを超える (ウェルチの t 検定、95 %)。≈ と淡い棒: 誤差の範囲。印なし: 1 回だけの計測で未検定。! 計測中にほかの処理かクロックの変化あり。ひげ: 標準偏差。</source>
        <translation>Every difference says how much faster than the baseline (+ is faster). ▲ faster, ▼ slower: the repetitions differ beyond their noise (Welch&apos;s t test, 95 %). ≈ and a pale bar: within the noise. No mark: a single run, not tested. !: other programs or a moving clock while it ran. Whiskers: one standard deviation.</translation>
    </message>
</context>
<context>
    <name>ComparisonPlan</name>
    <message>
        <source> [%1: 比較できません]</source>
        <translation> [%1: not comparable]</translation>
    </message>
</context>
<context>
    <name>CoresGroup</name>
    <message>
        <source>マルチコア性能 計測中！（%1、%2 スレッド）</source>
        <translation>Measuring multi-core performance! (%1, %2 threads)</translation>
    </message>
    <message>
        <source>マルチコア性能 計測終了</source>
        <translation>Multi-core measurement finished</translation>
    </message>
    <message>
        <source>EVP の呼び出しが失敗しました</source>
        <translation>An EVP call failed</translation>
    </message>
    <message>
        <source>整数除算</source>
        <translation>integer division</translation>
    </message>
    <message>
        <source>zstd 圧縮</source>
        <translation>zstd compression</translation>
    </message>
    <message>
        <source>zstd 展開</source>
        <translation>zstd decompression</translation>
    </message>
</context>
<context>
    <name>DrawingPlatform</name>
    <message>
        <source>ネイティブ Wayland では図形ごとにコンポジタがバッファを受け取って返すのを待つため、描画テストの結果はコンポジタによって変わり、X での結果と比べられません。</source>
        <translation>On native Wayland each shape waits for the compositor to take a buffer and give it back, so the drawing figures depend on the compositor and are not comparable with those on X.</translation>
    </message>
</context>
<context>
    <name>DriveFileSize</name>
    <message>
        <source>%1 バイト</source>
        <translation>%1 bytes</translation>
    </message>
    <message>
        <source>ファイルサイズが指定されていません</source>
        <translation>No file size given</translation>
    </message>
    <message>
        <source>ファイルサイズ「%1」を読み取れません（例: 512M、1G、4GiB、1073741824）</source>
        <translation>Cannot read the file size &quot;%1&quot; (for example 512M, 1G, 4GiB, 1073741824)</translation>
    </message>
    <message>
        <source>ファイルサイズは %1 以下にしてください</source>
        <translation>The file size must be at most %1</translation>
    </message>
    <message>
        <source>ファイルサイズに 0 は指定できません</source>
        <translation>The file size cannot be 0</translation>
    </message>
    <message>
        <source>ファイルサイズは %1 以上にしてください（指定: %2）</source>
        <translation>The file size must be at least %1 (given: %2)</translation>
    </message>
</context>
<context>
    <name>DriveGroup</name>
    <message>
        <source>ドライブが要求より少ないバイト数しか転送しませんでした。計測を中止します。</source>
        <translation>The drive transferred fewer bytes than asked. The measurement is stopped.</translation>
    </message>
    <message>
        <source>ドライブの空き領域がなくなりました。計測を中止します。</source>
        <translation>The drive ran out of space. The measurement is stopped.</translation>
    </message>
    <message>
        <source>ドライブの入出力でエラーが発生しました。計測を中止します。</source>
        <translation>An I/O error occurred on the drive. The measurement is stopped.</translation>
    </message>
    <message>
        <source>テストファイルの領域確保</source>
        <translation>allocating the test file</translation>
    </message>
    <message>
        <source>テストファイルの作成</source>
        <translation>creating the test file</translation>
    </message>
    <message>
        <source>テストファイル %1 と余裕 %2 が必要ですが、空きは %3 です</source>
        <translation>The test file needs %1 and %2 to spare, but %3 is free</translation>
    </message>
    <message>
        <source>テストフォルダのファイルシステムは直接転送（O_DIRECT）に対応していません。キャッシュを計測しないよう、計測を中止します。</source>
        <translation>The test folder&apos;s file system does not support direct transfers (O_DIRECT). So as not to time the cache, the measurement is stopped.</translation>
    </message>
    <message>
        <source>テストファイルを作成できません。計測を中止します。</source>
        <translation>Cannot create the test file. The measurement is stopped.</translation>
    </message>
    <message>
        <source>計測に必要なメモリを確保できません。計測を中止します。</source>
        <translation>Cannot allocate the memory the measurement needs. The measurement is stopped.</translation>
    </message>
    <message>
        <source>計測に必要なスレッドを起動できません。計測を中止します。</source>
        <translation>Cannot start the threads the measurement needs. The measurement is stopped.</translation>
    </message>
</context>
<context>
    <name>DrivePlan</name>
    <message>
        <source>1項目の計測時間は %1 秒から %2 秒の間で指定してください</source>
        <translation>A row&apos;s time must be between %1 and %2 seconds</translation>
    </message>
    <message>
        <source>書き込み</source>
        <translation>write</translation>
    </message>
    <message>
        <source>読み込み</source>
        <translation>read</translation>
    </message>
    <message>
        <source>ドライブ性能 計測中！（%1）</source>
        <translation>Measuring drive performance! (%1)</translation>
    </message>
    <message>
        <source>ドライブ性能 準備中！（テストファイル作成）</source>
        <translation>Preparing the drive measurement! (creating the test file)</translation>
    </message>
</context>
<context>
    <name>Errors</name>
    <message>
        <source>ﾌｧｲﾙが見つかりません</source>
        <translation>File not found</translation>
    </message>
    <message>
        <source>不正なﾌｧｲﾙ名です</source>
        <translation>Invalid file name</translation>
    </message>
    <message>
        <source>ｵｰﾌﾟﾝしたﾌｧｲﾙが多すぎます</source>
        <translation>Too many open files</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙへのｱｸｾｽが拒否されました</source>
        <translation>File access denied</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙの末尾以降を読み込みました</source>
        <translation>Read beyond end of file</translation>
    </message>
    <message>
        <source>ﾃﾞｨｽｸがいっぱいです</source>
        <translation>Disk full</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙではなくﾌｫﾙﾀﾞです</source>
        <translation>A folder, not a file</translation>
    </message>
    <message>
        <source>入力値が数値ではありません</source>
        <translation>Invalid numeric format</translation>
    </message>
    <message>
        <source>I/O ｴﾗｰ (%1)</source>
        <translation>I/O error (%1)</translation>
    </message>
    <message>
        <source>&apos;%1&apos; のﾃﾞｰﾀ型が不正です</source>
        <translation>Invalid data type of &apos;%1&apos;</translation>
    </message>
</context>
<context>
    <name>Gauge</name>
    <message>
        <source>%1 から %2 の間の値でなければなりません</source>
        <translation>The value must be between %1 and %2</translation>
    </message>
</context>
<context>
    <name>GroupSequencer</name>
    <message>
        <source>計測中！</source>
        <translation>Measuring...</translation>
    </message>
    <message>
        <source>計測データ準備中！</source>
        <translation>Preparing test data...</translation>
    </message>
    <message>
        <source>計測が終了しました</source>
        <translation>Measurement finished</translation>
    </message>
    <message>
        <source>計測が終了しました。Reportボタンで結果が保存されます。</source>
        <translation>Measurement finished. Click Report to save the results.</translation>
    </message>
    <message>
        <source>計測を中止しました。</source>
        <translation>Measurement stopped.</translation>
    </message>
    <message>
        <source>削除できなかったテストファイル: %1</source>
        <translation>Test files that could not be deleted: %1</translation>
    </message>
</context>
<context>
    <name>HelpWindow</name>
    <message>
        <source>ヘルプ</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>ヘルプ ファイル &quot;%1&quot; が見つかりません。</source>
        <translation>Help file &quot;%1&quot; not found.</translation>
    </message>
    <message>
        <source>TORVIK ヘルプ</source>
        <translation>TORVIK Help</translation>
    </message>
    <message>
        <source>ヘルプの本文</source>
        <translation>Help text</translation>
    </message>
    <message>
        <source>ja</source>
        <comment>the help text&apos;s language: ja or en</comment>
        <translation>en</translation>
    </message>
</context>
<context>
    <name>MachineChartTexts</name>
    <message>
        <source>%1 スレッド</source>
        <translation>%1 threads</translation>
    </message>
    <message>
        <source>まだ計測していません</source>
        <translation>Not measured yet</translation>
    </message>
    <message>
        <source>計測なし</source>
        <translation>not measured</translation>
    </message>
    <message>
        <source>マルチコアのスケーリング (1 スレッドに対する速度)</source>
        <translation>Core scaling (speed over one thread)</translation>
    </message>
    <message>
        <source>メモリ帯域 (STREAM)</source>
        <translation>Memory bandwidth (STREAM)</translation>
    </message>
    <message>
        <source>メモリレイテンシ (1 回の読み込みの時間)</source>
        <translation>Memory latency (time per load)</translation>
    </message>
    <message>
        <source>ドライブの転送速度</source>
        <translation>Drive transfer rates</translation>
    </message>
    <message>
        <source>スレッド数に対する速度の倍率、高いほど速い、理想はスレッド数と同じ倍率</source>
        <translation>speed-up against threads, higher is faster, the ideal equals the threads</translation>
    </message>
    <message>
        <source>%1: %2 倍</source>
        <translation>%1: %2 ×</translation>
    </message>
    <message>
        <source>スレッド数に対する GB/s、高いほど速い</source>
        <translation>GB/s against threads, higher is faster</translation>
    </message>
    <message>
        <source>作業領域に対するナノ秒、低いほど速い、両軸とも対数</source>
        <translation>nanoseconds against the working set, lower is faster, both axes log</translation>
    </message>
    <message>
        <source>MB/s、高いほど速い</source>
        <translation>MB/s, higher is faster</translation>
    </message>
    <message>
        <source>%1 — 読み込み %2、書き込み %3</source>
        <translation>%1 — read %2, write %3</translation>
    </message>
    <message>
        <source>%1 のグラフ</source>
        <translation>%1 chart</translation>
    </message>
</context>
<context>
    <name>MachineNoise</name>
    <message>
        <source>他のプロセスがプロセッサを使用 (コア 1 個の %1 %)</source>
        <translation>other processes used the processor (%1 % of a core)</translation>
    </message>
    <message>
        <source>クロックが変動 (%1-%2 MHz)</source>
        <translation>the clock moved (%1-%2 MHz)</translation>
    </message>
</context>
<context>
    <name>MeasureFailure</name>
    <message>
        <source>メモリが足りません。計測には %1 MiB 必要ですが、使えるのは %2 MiB です</source>
        <translation>Not enough memory: the measurement needs %1 MiB, %2 MiB are available</translation>
    </message>
    <message>
        <source>メモリを %1 MiB 確保できませんでした（errno %2）</source>
        <translation>Could not allocate %1 MiB of memory (errno %2)</translation>
    </message>
    <message>
        <source>スレッドをプロセッサ %1 に固定できませんでした（errno %2）</source>
        <translation>Could not pin a thread to processor %1 (errno %2)</translation>
    </message>
    <message>
        <source>計測用のスレッドを開始できませんでした（errno %1）</source>
        <translation>Could not start a measuring thread (errno %1)</translation>
    </message>
    <message>
        <source>%1 がエラーを返しました: %2</source>
        <translation>%1 returned an error: %2</translation>
    </message>
    <message>
        <source>%1 の計算結果が正しくありません（%2 スレッド）。計測を中止します</source>
        <translation>%1 computed a wrong result (%2 threads). The measurement is stopped</translation>
    </message>
</context>
<context>
    <name>PointFactsText</name>
    <message>
        <source>不明</source>
        <translation>unknown</translation>
    </message>
    <message>
        <source>使えるプロセッサ: %1 / %2</source>
        <translation>Usable processors: %1 of %2</translation>
    </message>
    <message>
        <source>少ない理由: %1</source>
        <translation>Why fewer: %1</translation>
    </message>
    <message>
        <source>物理コア: %1、SMT: %2</source>
        <translation>Physical cores: %1, SMT: %2</translation>
    </message>
    <message>
        <source>あり</source>
        <translation>yes</translation>
    </message>
    <message>
        <source>なし</source>
        <translation>no</translation>
    </message>
    <message>
        <source>P コアのプロセッサ: %1、E コアのプロセッサ: %2</source>
        <translation>P-core processors: %1, E-core processors: %2</translation>
    </message>
    <message>
        <source>スレッド数: %1</source>
        <translation>Thread counts: %1</translation>
    </message>
    <message>
        <source>報告されたキャッシュ: %1</source>
        <translation>Reported caches: %1</translation>
    </message>
    <message>
        <source>曲線の段: メモリ %1 ns (%2 から)</source>
        <translation>Curve level: memory %1 ns (from %2)</translation>
    </message>
    <message>
        <source>曲線の段: %1 まで %2 ns (報告されたキャッシュ %3)</source>
        <translation>Curve level: up to %1, %2 ns (reported cache %3)</translation>
    </message>
    <message>
        <source>曲線の段: %1 まで %2 ns</source>
        <translation>Curve level: up to %1, %2 ns</translation>
    </message>
    <message>
        <source>透過的ヒュージページ: %1</source>
        <translation>Transparent huge pages: %1</translation>
    </message>
    <message>
        <source>モデル: %1</source>
        <translation>Model: %1</translation>
    </message>
    <message>
        <source>接続: %1</source>
        <translation>Transport: %1</translation>
    </message>
    <message>
        <source>ファイルシステム: %1</source>
        <translation>File system: %1</translation>
    </message>
    <message>
        <source>エンジン: %1</source>
        <translation>Engine: %1</translation>
    </message>
    <message>
        <source> (io_uring は使えません: %1)</source>
        <translation> (io_uring refused: %1)</translation>
    </message>
    <message>
        <source>テストファイル: %1</source>
        <translation>Test file: %1</translation>
    </message>
</context>
<context>
    <name>PointGroups</name>
    <message>
        <source>テストファイル %1 MiB と余裕 %2 MiB が必要です</source>
        <translation>The test file needs %1 MiB and %2 MiB to spare</translation>
    </message>
</context>
<context>
    <name>ProcessorAllowance</name>
    <message>
        <source>CPU アフィニティ（taskset など）による制限</source>
        <translation>limited by the CPU affinity (taskset or the like)</translation>
    </message>
    <message>
        <source>cgroup の cpuset による制限</source>
        <translation>limited by the cgroup&apos;s cpuset</translation>
    </message>
    <message>
        <source>cgroup の CPU 時間の上限（%1 CPU 分）</source>
        <translation>limited by the cgroup&apos;s CPU time quota (%1 CPUs&apos; worth)</translation>
    </message>
    <message>
        <source>理由不明の制限</source>
        <translation>limited for an unknown reason</translation>
    </message>
    <message>
        <source>論理プロセッサ %1 個のうち %2 個を使用: %3</source>
        <translation>Using %2 of %1 logical processors: %3</translation>
    </message>
</context>
<context>
    <name>RamGroup</name>
    <message>
        <source>メモリ帯域 計測中！（STREAM、%1 スレッド）</source>
        <translation>Measuring memory bandwidth! (STREAM, %1 threads)</translation>
    </message>
    <message>
        <source>メモリレイテンシ 計測中！（%1）</source>
        <translation>Measuring memory latency! (%1)</translation>
    </message>
    <message>
        <source>メモリ性能 計測終了</source>
        <translation>Memory measurement finished</translation>
    </message>
</context>
<context>
    <name>RankingTable</name>
    <message>
        <source>順位</source>
        <translation>Place</translation>
    </message>
    <message>
        <source>マシン</source>
        <translation>Machine</translation>
    </message>
    <message>
        <source>プロセッサ</source>
        <translation>Processor</translation>
    </message>
    <message>
        <source>総合</source>
        <translation>Overall</translation>
    </message>
    <message>
        <source>基準</source>
        <translation>baseline</translation>
    </message>
    <message>
        <source>総合は %1 の値です</source>
        <translation>Overall is the %1 figure</translation>
    </message>
    <message>
        <source>値ではないため除外: %1</source>
        <translation>Not a figure, left out: %1</translation>
    </message>
</context>
<context>
    <name>ReportPage</name>
    <message>
        <source>ノイズあり</source>
        <translation>noisy</translation>
    </message>
    <message>
        <source>0.1秒単位のみ</source>
        <translation>tenths only</translation>
    </message>
    <message>
        <source>読み方</source>
        <translation>How to read</translation>
    </message>
    <message>
        <source>差はすべて「何 % 速いか」で示します。+ は速い、- は遅いことを表します (秒でも速度でも同じ)。</source>
        <translation>Every difference says how much faster, in percent: + is faster, - is slower (in seconds and in rates alike).</translation>
    </message>
    <message>
        <source>判定は、繰り返し計測したシリーズどうしのウェルチの t 検定 (有意水準 95 %) です。「速い」「遅い」は差が誤差を超えていること、「誤差の範囲」は差があるとは言えないことを表します。</source>
        <translation>The verdict is Welch&apos;s t test at 95 % between two series of repetitions: &quot;faster&quot; and &quot;slower&quot; say the difference is beyond the noise, &quot;within the noise&quot; that no difference can be told.</translation>
    </message>
    <message>
        <source>1 回だけの計測には散らばりがないため、判定は「未検定」です。</source>
        <translation>A single run has no spread: its verdict is &quot;not tested&quot;.</translation>
    </message>
    <message>
        <source>± は 1 標準偏差です。n は繰り返しの回数です。</source>
        <translation>± is one standard deviation; n is the number of repetitions.</translation>
    </message>
    <message>
        <source>「ノイズあり」(!) の値は、計測中にほかの処理がプロセッサを使ったか、クロックが変わったもので、遅く出ている可能性があります。</source>
        <translation>A &quot;noisy&quot; figure (!) was measured while other processes used the processor or its clock moved: it may be slower than the machine is.</translation>
    </message>
    <message>
        <source>「0.1秒単位のみ」は、結果シートから取り込んだ 0.1 秒単位の値で、散らばりはわかりません。</source>
        <translation>&quot;Tenths only&quot; is a figure imported from a result sheet, in tenths of a second, with no spread known.</translation>
    </message>
    <message>
        <source>計測したマシン</source>
        <translation>Machines</translation>
    </message>
    <message>
        <source>計測結果はありません。</source>
        <translation>No runs.</translation>
    </message>
    <message>
        <source>マシン</source>
        <translation>Machine</translation>
    </message>
    <message>
        <source>プロセッサ</source>
        <translation>Processor</translation>
    </message>
    <message>
        <source>メモリ</source>
        <translation>Memory</translation>
    </message>
    <message>
        <source>OS</source>
        <translation>OS</translation>
    </message>
    <message>
        <source>画面</source>
        <translation>Display</translation>
    </message>
    <message>
        <source>ホスト名</source>
        <translation>Host name</translation>
    </message>
    <message>
        <source>計測回数</source>
        <translation>Runs</translation>
    </message>
    <message>
        <source>最新の計測</source>
        <translation>Latest run</translation>
    </message>
    <message>
        <source>各マシンの最新のシリーズを %1 と比べた結果。速い順。</source>
        <translation>Each machine&apos;s latest series against %1, fastest first.</translation>
    </message>
    <message>
        <source>総合</source>
        <translation>Overall</translation>
    </message>
    <message>
        <source>基準</source>
        <translation>baseline</translation>
    </message>
    <message>
        <source>比較</source>
        <translation>Comparison</translation>
    </message>
    <message>
        <source>比べる計測結果はありません。</source>
        <translation>No runs to compare.</translation>
    </message>
    <message>
        <source>基準: %1。棒は基準の速度に対する割合 (%)、長いほど速い。</source>
        <translation>Baseline: %1. Each bar is the rate in percent of the baseline&apos;s: longer is faster.</translation>
    </message>
    <message>
        <source>ほかの %1 シリーズは省略 (ランキングと推移にあります)。</source>
        <translation>%1 more series not shown (they are in the ranking and the trends).</translation>
    </message>
    <message>
        <source>計測</source>
        <translation>Run</translation>
    </message>
    <message>
        <source>テスト</source>
        <translation>Test</translation>
    </message>
    <message>
        <source>シリーズ</source>
        <translation>Series</translation>
    </message>
    <message>
        <source>最初 (秒)</source>
        <translation>First (s)</translation>
    </message>
    <message>
        <source>最新 (秒)</source>
        <translation>Latest (s)</translation>
    </message>
    <message>
        <source>最初から</source>
        <translation>Since the first</translation>
    </message>
    <message>
        <source>誤差を超えた変化</source>
        <translation>Changes beyond the noise</translation>
    </message>
    <message>
        <source>ノイズのあったシリーズ</source>
        <translation>Noisy series</translation>
    </message>
    <message>
        <source>速く %1、遅く %2</source>
        <translation>%1 faster, %2 slower</translation>
    </message>
    <message>
        <source>ノイズ</source>
        <translation>Noise</translation>
    </message>
    <message>
        <source>計測の前後と最中に、ほかの処理がプロセッサを使ったか、クロックが変わったかを調べています。そうした値 (!) は実力より遅く出ている可能性があるため、差を読むときは割り引いてください。</source>
        <translation>Around and during each test, TORVIK watches whether other processes used the processor and whether its clock moved. Such figures (!) may be slower than the machine is: allow for that when reading a difference.</translation>
    </message>
    <message>
        <source>最新のシリーズでノイズのあった値: %1。推移の全シリーズでは %2 / %3。</source>
        <translation>Noisy figures in the latest series: %1. In all series of the trends: %2 of %3.</translation>
    </message>
    <message>
        <source>グループ</source>
        <translation>Group</translation>
    </message>
    <message>
        <source>ノイズのあったテスト</source>
        <translation>Noisy tests</translation>
    </message>
    <message>
        <source>TORVIK 計測結果のレポート</source>
        <translation>TORVIK results report</translation>
    </message>
    <message>
        <source>ja</source>
        <translation>en</translation>
    </message>
    <message>
        <source>作成日時: %1</source>
        <translation>Made: %1</translation>
    </message>
    <message>
        <source>計測結果の保存先: %1</source>
        <translation>Results store: %1</translation>
    </message>
    <message>
        <source>対象: %1 (%2 回の計測、%3 台のマシン)</source>
        <translation>Runs: %1 (%2 runs, %3 machines)</translation>
    </message>
    <message>
        <source>ランキング</source>
        <translation>Ranking</translation>
    </message>
    <message>
        <source>推移</source>
        <translation>Trends</translation>
    </message>
    <message>
        <source>TORVIK %1 で作成</source>
        <translation>Made by TORVIK %1</translation>
    </message>
    <message>
        <source>マシン %1</source>
        <translation>machine %1</translation>
    </message>
    <message>
        <source>PC名 %1</source>
        <translation>PC name %1</translation>
    </message>
    <message>
        <source>プロセッサ %1</source>
        <translation>processor %1</translation>
    </message>
    <message>
        <source>グループ %1</source>
        <translation>group %1</translation>
    </message>
    <message>
        <source>すべての計測</source>
        <translation>all runs</translation>
    </message>
    <message>
        <source>比較ウィンドウで選んだ計測 %1 件</source>
        <translation>%1 runs ticked in the comparison window</translation>
    </message>
    <message>
        <source>薄い棒: 誤差の範囲 (差があるとは言えない)</source>
        <translation>Pale bar: within the noise (no difference)</translation>
    </message>
    <message>
        <source>±1 標準偏差</source>
        <translation>±1 standard deviation</translation>
    </message>
    <message>
        <source>ノイズあり (計測中に他の処理)</source>
        <translation>noisy (other work meanwhile)</translation>
    </message>
    <message>
        <source>%1 (%2, 基準に対する %)</source>
        <translation>%1 (%2, % of the baseline)</translation>
    </message>
    <message>
        <source>%1 (秒)</source>
        <translation>%1 (s)</translation>
    </message>
    <message>
        <source>なし</source>
        <translation>none</translation>
    </message>
    <message>
        <source>総合: 基準のマシンに対して何 % 速いか (+ が速い)</source>
        <translation>Overall: how much faster than the baseline machine (+ is faster)</translation>
    </message>
    <message>
        <source>共通のテストなし</source>
        <translation>no test in common</translation>
    </message>
    <message>
        <source>%1 (秒、下ほど速い)</source>
        <translation>%1 (s, lower is faster)</translation>
    </message>
    <message>
        <source>%1 シリーズ</source>
        <translation>%1 series</translation>
    </message>
    <message>
        <source>古い %1 シリーズは省略</source>
        <translation>%1 older series not shown</translation>
    </message>
    <message>
        <source>誤差を超えて速くなった</source>
        <translation>faster beyond the noise</translation>
    </message>
    <message>
        <source>誤差を超えて遅くなった</source>
        <translation>slower beyond the noise</translation>
    </message>
    <message>
        <source>総合は %1 の値です。</source>
        <translation>Overall is the %1 figure.</translation>
    </message>
    <message>
        <source>コア・メモリ・ドライブ</source>
        <translation>Cores, memory and drive</translation>
    </message>
    <message>
        <source>スケーリング: 1 スレッドに対する速度 (両軸とも対数)</source>
        <translation>Scaling: speed over one thread&apos;s (both axes log)</translation>
    </message>
    <message>
        <source>スレッド数</source>
        <translation>Threads</translation>
    </message>
    <message>
        <source>速度の倍率</source>
        <translation>Speed-up</translation>
    </message>
    <message>
        <source>理想 (スレッド数に比例)</source>
        <translation>Ideal (in proportion to the threads)</translation>
    </message>
    <message>
        <source>RAM の帯域</source>
        <translation>RAM bandwidth</translation>
    </message>
    <message>
        <source>帯域 (STREAM、GB/s、長いほど速い)</source>
        <translation>Bandwidth (STREAM, GB/s, longer is faster)</translation>
    </message>
    <message>
        <source>レイテンシ: 1 回のロードの時間と作業領域 (両軸とも対数、下ほど速い)</source>
        <translation>Latency: the time of one load against the working set (both axes log, lower is faster)</translation>
    </message>
    <message>
        <source>作業領域</source>
        <translation>Working set</translation>
    </message>
    <message>
        <source>ナノ秒</source>
        <translation>ns</translation>
    </message>
    <message>
        <source>帯: 曲線に見えるレベル、縦線: その大きさ</source>
        <translation>Band: a level the curve shows; tick: its size</translation>
    </message>
    <message>
        <source>RAM のレイテンシ</source>
        <translation>RAM latency</translation>
    </message>
    <message>
        <source>ドライブ</source>
        <translation>Drive</translation>
    </message>
    <message>
        <source>ドライブ (MB/s、対数軸、長いほど速い)</source>
        <translation>Drive (MB/s, log axis, longer is faster)</translation>
    </message>
    <message>
        <source>ワークロード</source>
        <translation>Workload</translation>
    </message>
    <message>
        <source>1 スレッド</source>
        <translation>1 thread</translation>
    </message>
    <message>
        <source>全スレッド</source>
        <translation>All threads</translation>
    </message>
    <message>
        <source>倍率</source>
        <translation>Speed-up</translation>
    </message>
    <message>
        <source>効率</source>
        <translation>Efficiency</translation>
    </message>
    <message>
        <source>レベル</source>
        <translation>Level</translation>
    </message>
    <message>
        <source>1 回のロード</source>
        <translation>One load</translation>
    </message>
    <message>
        <source>曲線に見える大きさ</source>
        <translation>Size on the curve</translation>
    </message>
    <message>
        <source>メモリ (キャッシュの先)</source>
        <translation>Memory (beyond the caches)</translation>
    </message>
    <message>
        <source>エンジン</source>
        <translation>Engine</translation>
    </message>
    <message>
        <source>各マシンの最新のシリーズ。グラフは最大 %1 台まで、表はすべてのマシン。</source>
        <translation>Each machine&apos;s latest series. The charts show up to %1 machines, the tables all of them.</translation>
    </message>
    <message>
        <source>値ではないため除外: %1</source>
        <translation>Not a figure, left out: %1</translation>
    </message>
    <message>
        <source>日付不明の取り込み %1 件は推移に含めていません。</source>
        <translation>%1 imported run(s) of unknown date are left out of the trend.</translation>
    </message>
    <message>
        <source>%1: 各マシンの最新のシリーズの値</source>
        <translation>%1: each machine&apos;s latest series</translation>
    </message>
    <message>
        <source>%1: 計測ごとの値と判定</source>
        <translation>%1: each run&apos;s figures and verdicts</translation>
    </message>
    <message>
        <source>%1, %2: テストごとの推移</source>
        <translation>%1, %2: the trend of each test</translation>
    </message>
    <message>
        <source>%1: %2 台のマシンの %3 行を描いた棒グラフ (%4、長いほど速い)。</source>
        <translation>%1: a bar chart of %3 rows for %2 machines (%4, longer is faster).</translation>
    </message>
    <message>
        <source>最も速いのは %1 の %2 (%3)、最も遅いのは %4 の %5 (%6)。</source>
        <translation>Fastest %1&apos;s %2 (%3), slowest %4&apos;s %5 (%6).</translation>
    </message>
    <message>
        <source>%1: 各ワークロードの 1 スレッドに対する速度の倍率を 1 から %2 スレッドまで結んだ折れ線 (両軸とも対数、理想は ×%2)。</source>
        <translation>%1: a line per workload through its rate over its one-thread rate, from 1 to %2 threads (both axes log; the ideal is ×%2).</translation>
    </message>
    <message>
        <source>最も伸びたのは %1 (×%2)、最も伸びなかったのは %3 (×%4)。</source>
        <translation>Scaling best: %1 (×%2); least: %3 (×%4).</translation>
    </message>
    <message>
        <source>%1: %2 台のマシンの 1 回のロードの時間 (ナノ秒) を作業領域ごとに結んだ折れ線 (両軸とも対数、下ほど速い)。</source>
        <translation>%1: a line per machine, %2 machines, through the time of one load (ns) at each working set (both axes log, lower is faster).</translation>
    </message>
    <message>
        <source>%1: ワークロードごとの 1 スレッドと全スレッドの速度</source>
        <translation>%1: each workload at one thread and at all threads</translation>
    </message>
    <message>
        <source>%1: 各マシンの曲線に見えるレベル</source>
        <translation>%1: the levels each machine&apos;s curve shows</translation>
    </message>
    <message>
        <source>%1: 各マシンの行</source>
        <translation>%1: each machine&apos;s rows</translation>
    </message>
    <message>
        <source>%1 の比較: %2 件の計測をテストごとに基準の %3 と比べた棒グラフ。</source>
        <translation>Comparison of %1: a bar chart of %2 runs, test by test, against the baseline %3.</translation>
    </message>
    <message>
        <source>%1: 値なし。</source>
        <translation>%1: no figure.</translation>
    </message>
    <message>
        <source>%1 (%2): 最も速いのは %3 (%4)、最も遅いのは %5 (%6)。</source>
        <translation>%1 (%2): fastest %3 (%4), slowest %5 (%6).</translation>
    </message>
    <message>
        <source>基準の速度に対する %</source>
        <translation>% of the baseline&apos;s rate</translation>
    </message>
    <message>
        <source>秒</source>
        <translation>seconds</translation>
    </message>
    <message>
        <source>%1 のランキング: %2 台のマシンの総合の値を基準の %3 と比べた棒グラフ (何 % 速いか、+ が速い)。</source>
        <translation>Ranking of %1: a bar chart of the overall figure of %2 machines against the baseline %3 (how many % faster, + is faster).</translation>
    </message>
    <message>
        <source>最も速いのは %1 (%2)、最も遅いのは %3 (%4)。</source>
        <translation>Fastest %1 (%2), slowest %3 (%4).</translation>
    </message>
    <message>
        <source>%1 の %2 の推移: テストごとに、最新のシリーズの平均秒を古い順に結んだ折れ線 (下ほど速い)。</source>
        <translation>Trend of %1, %2: per test, a line through the mean seconds of its newest series, oldest first (lower is faster).</translation>
    </message>
    <message>
        <source>%1: %2 シリーズ、%3 秒から %4 秒、最も速い %5 秒、最も遅い %6 秒。</source>
        <translation>%1: %2 series, from %3 s to %4 s, fastest %5 s, slowest %6 s.</translation>
    </message>
</context>
<context>
    <name>RunArchive</name>
    <message>
        <source>計測結果を保存できません: </source>
        <translation>Cannot save the results: </translation>
    </message>
    <message>
        <source>共有の計測結果に送れません。%1 件はこの PC に残り、次の計測か torvik --sync で送られます: </source>
        <translation>Cannot send to the shared results store. %1 run(s) stay on this PC and go with the next run or torvik --sync: </translation>
    </message>
    <message>
        <source>この PC に残っていた計測結果 %1 件を共有の計測結果に送りました。</source>
        <translation>The %1 run(s) that waited on this PC have reached the shared results store.</translation>
    </message>
    <message>
        <source>共有の計測結果が受け取らなかった計測結果 %1 件は、送らずにこの PC に残しました: </source>
        <translation>The shared results store would not take %1 run(s); they stay on this PC, set aside: </translation>
    </message>
    <message>
        <source>（共有の計測結果にも送られません）</source>
        <translation> (nor is it sent to the shared store)</translation>
    </message>
    <message>
        <source>計測結果の保存先がほかの TORVIK で使用中のため、%1 に保存しました。次の保存のときに保存先へ移します。</source>
        <translation>The results store is busy with another copy of TORVIK, so the run was kept in %1. It joins the store the next time a run is kept.</translation>
    </message>
    <message>
        <source>別に保存した計測結果 %1 を保存先へ移せません。ファイルはそのまま残します: %2</source>
        <translation>The results kept aside in %1 cannot be moved into the results store; the file is kept as it is: %2</translation>
    </message>
    <message>
        <source>この PC の計測結果 (%1)</source>
        <translation>This PC&apos;s results (%1)</translation>
    </message>
</context>
<context>
    <name>RunDate</name>
    <message>
        <source>日付不明</source>
        <translation>date unknown</translation>
    </message>
</context>
<context>
    <name>SettingsStore</name>
    <message>
        <source>設定ファイル %1 は通常のファイルではありません</source>
        <translation>The settings file %1 is not a regular file</translation>
    </message>
</context>
<context>
    <name>SheetImport</name>
    <message>
        <source>%1 件を読み込みました。%2 件は記録済みです。%3 件は読み込めませんでした。</source>
        <translation>Imported %1 results. %2 were already recorded. %3 could not be read.</translation>
    </message>
    <message>
        <source>%1: 通常のファイルではありません</source>
        <translation>%1: not a regular file</translation>
    </message>
    <message>
        <source>%1: %2 MB を超えるファイルは結果シートではありません</source>
        <translation>%1: a file over %2 MB is not a result sheet</translation>
    </message>
    <message>
        <source>%1: %2 KB を超える行があり、結果シートではありません</source>
        <translation>%1: a line is over %2 KB; not a result sheet</translation>
    </message>
    <message>
        <source>%1: %2 行目のブロック (%3) は、合計 %4 が各テストの時間の和 %5 と合わないため読み込みませんでした</source>
        <translation>%1: the block at line %2 (%3) was not imported: its Sum Total %4 is not the sum of its tests&apos; times, %5</translation>
    </message>
    <message>
        <source>%1: ほかに %2 件のブロックも合計が合いません</source>
        <translation>%1: %2 more block(s) whose total is not the sum of their times</translation>
    </message>
</context>
<context>
    <name>StageDrawing</name>
    <message>
        <source>描画画面が表示されるのを待っています</source>
        <translation>Waiting for the drawing screen</translation>
    </message>
</context>
<context>
    <name>StoreCommands</name>
    <message>
        <source>計測結果を開けません</source>
        <translation>cannot open the results store</translation>
    </message>
    <message>
        <source>計測結果を読めません</source>
        <translation>cannot read the results store</translation>
    </message>
</context>
<context>
    <name>Summary</name>
    <message>
        <source>1 スレッド</source>
        <translation>1 thread</translation>
    </message>
    <message>
        <source>全スレッド</source>
        <translation>All threads</translation>
    </message>
    <message>
        <source>STREAM 1 スレッド</source>
        <translation>STREAM 1 thread</translation>
    </message>
    <message>
        <source>STREAM 全スレッド</source>
        <translation>STREAM all threads</translation>
    </message>
    <message>
        <source>メモリのレイテンシ</source>
        <translation>Memory latency</translation>
    </message>
    <message>
        <source>ドライブ 8 項目</source>
        <translation>Drive, 8 rows</translation>
    </message>
</context>
<context>
    <name>TestCatalogue</name>
    <message>
        <source>CPU整数演算能力 計測中！（素数算出）</source>
        <translation>Measuring CPU integer speed (primes)</translation>
    </message>
    <message>
        <source>CPU浮動小数演算能力 計測中！（三角関数算出）</source>
        <translation>Measuring floating point (trigonometry)</translation>
    </message>
    <message>
        <source>２Ｄグラフィック能力 計測中！（四角形描画）</source>
        <translation>Measuring 2D graphics (rectangles)</translation>
    </message>
    <message>
        <source>２Ｄグラフィック能力 計測中！（円描画）</source>
        <translation>Measuring 2D graphics (circles)</translation>
    </message>
    <message>
        <source>２Ｄグラフィック能力 計測中！（三角形描画）</source>
        <translation>Measuring 2D graphics (triangles)</translation>
    </message>
    <message>
        <source>２Ｄグラフィック能力 計測中！（テキスト描画）</source>
        <translation>Measuring 2D graphics (text)</translation>
    </message>
    <message>
        <source>２Ｄグラフィック能力 計測中！（スクロール描画）</source>
        <translation>Measuring 2D graphics (scrolling)</translation>
    </message>
    <message>
        <source>メモリ転送能力 計測中！（１ＭＢを２ＧＢ分転送）</source>
        <translation>Measuring memory transfer (2 GB)</translation>
    </message>
    <message>
        <source>ＨＤＤ書き込み能力 計測中！（８ＫＢを４０ＭＢ分）</source>
        <translation>Measuring disk writing (8 KB, 40 MB)</translation>
    </message>
    <message>
        <source>ＨＤＤ書き込み能力 計測中！（８ＫＢを５０ＭＢ分）</source>
        <translation>Measuring disk writing (8 KB, 50 MB)</translation>
    </message>
    <message>
        <source>ＨＤＤ書き込み能力 計測中！（８ＫＢを６０ＭＢ分）</source>
        <translation>Measuring disk writing (8 KB, 60 MB)</translation>
    </message>
    <message>
        <source>ＨＤＤ読み込み能力 計測中！（８ＫＢを４０ＭＢ分）</source>
        <translation>Measuring disk reading (8 KB, 40 MB)</translation>
    </message>
    <message>
        <source>ＨＤＤ読み込み能力 計測中！（８ＫＢを５０ＭＢ分）</source>
        <translation>Measuring disk reading (8 KB, 50 MB)</translation>
    </message>
    <message>
        <source>ＨＤＤ読み込み能力 計測中！（８ＫＢを６０ＭＢ分）</source>
        <translation>Measuring disk reading (8 KB, 60 MB)</translation>
    </message>
    <message>
        <source>ＭｉｘＭｏｄｅ 計測中！</source>
        <translation>Measuring mix mode</translation>
    </message>
</context>
<context>
    <name>TestDirectory</name>
    <message>
        <source>HDD情報が取得できません。計測を中止します。</source>
        <translation>The disk&apos;s information cannot be read. The measurement is stopped.</translation>
    </message>
    <message>
        <source>HDDの空き領域が不足しています。計測を中止します。</source>
        <translation>Not enough free disk space. The measurement is stopped.</translation>
    </message>
</context>
<context>
    <name>TestPathRules</name>
    <message>
        <source>HDD以外のデバイスが指定されました</source>
        <translation>The folder is not on a fixed disk</translation>
    </message>
    <message>
        <source>フォルダは「/」で始まるパスで指定してください</source>
        <translation>Give the folder as a path starting with &quot;/&quot;</translation>
    </message>
    <message>
        <source>指定されたフォルダが見つかりません</source>
        <translation>The folder was not found</translation>
    </message>
    <message>
        <source>指定されたパスはフォルダではありません</source>
        <translation>The path is not a folder</translation>
    </message>
    <message>
        <source>指定されたフォルダにファイルを作成できません</source>
        <translation>Files cannot be created in the folder</translation>
    </message>
</context>
<context>
    <name>TrendChart</name>
    <message>
        <source>%1 — 時間: 秒、低いほど速い</source>
        <translation>%1 — time in seconds, lower is faster</translation>
    </message>
    <message>
        <source>秒</source>
        <translation>seconds</translation>
    </message>
    <message>
        <source>ノイズあり</source>
        <translation>noisy</translation>
    </message>
    <message>
        <source>速くなった (ノイズを超える)</source>
        <translation>faster (beyond the noise)</translation>
    </message>
    <message>
        <source>遅くなった (ノイズを超える)</source>
        <translation>slower (beyond the noise)</translation>
    </message>
    <message>
        <source>±1 標準偏差</source>
        <translation>±1 standard deviation</translation>
    </message>
</context>
<context>
    <name>UserHome</name>
    <message>
        <source>ホームフォルダ (HOME) が設定されていないため、設定と計測結果を保存できません</source>
        <translation>The home folder (HOME) is not set, so no settings or results can be kept</translation>
    </message>
    <message>
        <source>ホームフォルダ (HOME) の %1 が絶対パスではないため、設定と計測結果を保存できません</source>
        <translation>The home folder (HOME) %1 is not an absolute path, so no settings or results can be kept</translation>
    </message>
    <message>
        <source>ホームフォルダ (HOME) の %1 がないため、設定と計測結果を保存できません</source>
        <translation>The home folder (HOME) %1 does not exist, so no settings or results can be kept</translation>
    </message>
    <message>
        <source>ホームフォルダ (HOME) の %1 がフォルダではないため、設定と計測結果を保存できません</source>
        <translation>The home folder (HOME) %1 is not a folder, so no settings or results can be kept</translation>
    </message>
</context>
<context>
    <name>Verdict</name>
    <message>
        <source>速い</source>
        <translation>faster</translation>
    </message>
    <message>
        <source>遅い</source>
        <translation>slower</translation>
    </message>
    <message>
        <source>誤差の範囲</source>
        <translation>within the noise</translation>
    </message>
    <message>
        <source>未検定</source>
        <translation>not tested</translation>
    </message>
</context>
<context>
    <name>WindowProgram</name>
    <message>
        <source>設定の共有の計測結果の URL は使いません: </source>
        <translation>The shared results store&apos;s URL in the settings is not used: </translation>
    </message>
</context>
<context>
    <name>torvik::ComparisonWindow</name>
    <message>
        <source>時間・秒(&amp;T)</source>
        <translation>&amp;Time (s)</translation>
    </message>
    <message>
        <source>速度(&amp;R)</source>
        <translation>&amp;Rate</translation>
    </message>
    <message>
        <source>CSVに書き出す(&amp;E)...</source>
        <translation>&amp;Export CSV...</translation>
    </message>
    <message>
        <source>削除(&amp;D)...</source>
        <translation>&amp;Delete...</translation>
    </message>
    <message>
        <source>閉じる(&amp;C)</source>
        <translation>&amp;Close</translation>
    </message>
    <message>
        <source>%1 に書き出しました。</source>
        <translation>Written to %1.</translation>
    </message>
    <message>
        <source>結果シート (*.txt);;すべてのファイル (*)</source>
        <translation>Result sheets (*.txt);;All files (*)</translation>
    </message>
    <message>
        <source>CSVに書き出す</source>
        <translation>Export CSV</translation>
    </message>
    <message>
        <source>TORVIK - 計測結果の比較</source>
        <translation>TORVIK - Compare results</translation>
    </message>
    <message>
        <source>シートを読み込む(&amp;I)...</source>
        <translation>&amp;Import sheets...</translation>
    </message>
    <message>
        <source>基準(&amp;B):</source>
        <translation>&amp;Baseline:</translation>
    </message>
    <message>
        <source>同じマシンを選択(&amp;M)</source>
        <translation>Same &amp;machine</translation>
    </message>
    <message>
        <source>選択した行と同じ PC 名とプロセッサの計測をすべて選択します</source>
        <translation>Ticks every run with the PC name and processor of the selected row</translation>
    </message>
    <message>
        <source>グラフを書き出す(&amp;G)...</source>
        <translation>Export &amp;graphs...</translation>
    </message>
    <message>
        <source>&lt;b&gt;総合&lt;/b&gt; (基準 %1 に対する速度の幾何平均、+ が速い): </source>
        <translation>&lt;b&gt;Overall&lt;/b&gt; (geometric mean of the rates against the baseline %1, + is faster): </translation>
    </message>
    <message>
        <source>グラフを書き出す</source>
        <translation>Export graphs</translation>
    </message>
    <message>
        <source>共有(&amp;S)...</source>
        <translation>&amp;Shared store...</translation>
    </message>
    <message>
        <source>複数の PC の計測結果を集める PostgreSQL の URL</source>
        <translation>The PostgreSQL URL where the runs of many PCs meet</translation>
    </message>
    <message>
        <source>読み込み中…</source>
        <translation>Loading…</translation>
    </message>
    <message>
        <source>計測結果を読めません: </source>
        <translation>Cannot read the results: </translation>
    </message>
    <message>
        <source>この共有の計測結果から削除する権利がありません。削除はその所有者が行います。</source>
        <translation>This role may not delete from the shared results store: its owner deletes runs there.</translation>
    </message>
    <message>
        <source>（選択した計測の繰り返しを含む）</source>
        <translation> (with the repetitions of the runs selected)</translation>
    </message>
    <message>
        <source>この PC の計測結果から、%1 の計測結果 %2 件%3を削除しますか？</source>
        <translation>Delete %2 run(s) of %1%3 from this PC&apos;s results?</translation>
    </message>
    <message>
        <source>共有の計測結果 %1 から、%2 の計測結果 %3 件%4を削除します。どの PC からも見えなくなります。よろしいですか？</source>
        <translation>Delete %3 run(s) of %2%4 from the shared results store %1? No PC will see them any more.</translation>
    </message>
    <message>
        <source>すべて</source>
        <translation>All</translation>
    </message>
    <message>
        <source>グループ(&amp;U):</source>
        <translation>Gro&amp;up:</translation>
    </message>
    <message>
        <source>すべての PC</source>
        <translation>every PC</translation>
    </message>
    <message>
        <source>PC 名(&amp;N):</source>
        <translation>PC &amp;name:</translation>
    </message>
    <message>
        <source>期間(&amp;F):</source>
        <translation>&amp;From:</translation>
    </message>
    <message>
        <source>指定なし</source>
        <translation>any</translation>
    </message>
    <message>
        <source>期間の終わり</source>
        <translation>To</translation>
    </message>
    <message>
        <source>比較(&amp;1)</source>
        <translation>Comparison &amp;1</translation>
    </message>
    <message>
        <source>推移(&amp;2)</source>
        <translation>Trend &amp;2</translation>
    </message>
    <message>
        <source>ランキング(&amp;3)</source>
        <translation>Ranking &amp;3</translation>
    </message>
    <message>
        <source>&lt;br&gt;ほかに選択した %1 系列はグラフに入れていません (1 つのグラフに %2 系列まで)。マシンの長い記録は「推移」に。</source>
        <translation>&lt;br&gt;%1 more ticked series are not charted (%2 series to a chart at most). A machine&apos;s long history is in the Trend view.</translation>
    </message>
    <message>
        <source>保存された計測結果</source>
        <translation>Kept results</translation>
    </message>
    <message>
        <source>チェックを入れた計測をグラフで比較します</source>
        <translation>The ticked results are compared in the charts</translation>
    </message>
    <message>
        <source>グラフ</source>
        <translation>Charts</translation>
    </message>
    <message>
        <source>比較する計測が選ばれていません</source>
        <translation>No results are ticked for comparison</translation>
    </message>
    <message>
        <source>レポートを書き出す(&amp;H)...</source>
        <translation>Export &amp;HTML report...</translation>
    </message>
    <message>
        <source>選択した計測を、ブラウザで開ける 1 つの HTML ファイルに書き出します</source>
        <translation>Writes the ticked runs to one HTML file any browser opens</translation>
    </message>
    <message>
        <source>レポートを書き出す</source>
        <translation>Export HTML report</translation>
    </message>
</context>
<context>
    <name>torvik::MachineCharts</name>
    <message>
        <source>スレッド数</source>
        <translation>Threads</translation>
    </message>
    <message>
        <source>マルチコア</source>
        <translation>Cores</translation>
    </message>
    <message>
        <source>メモリ</source>
        <translation>Memory</translation>
    </message>
    <message>
        <source>ドライブ</source>
        <translation>Drive</translation>
    </message>
    <message>
        <source>グラフ</source>
        <translation>Charts</translation>
    </message>
    <message>
        <source>グループごとのグラフのページ</source>
        <translation>The charts, a page for each group</translation>
    </message>
    <message>
        <source>グラフのページ</source>
        <translation>Chart pages</translation>
    </message>
    <message>
        <source>速度の倍率 (1 スレッド = 1)</source>
        <translation>Speed-up (1 thread = 1)</translation>
    </message>
    <message>
        <source>理想 (スレッド数倍)</source>
        <translation>Ideal (× threads)</translation>
    </message>
    <message>
        <source>作業領域 (対数)</source>
        <translation>Working set (log)</translation>
    </message>
    <message>
        <source>ナノ秒 (対数)</source>
        <translation>Nanoseconds (log)</translation>
    </message>
    <message>
        <source>読み込み</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>書き込み</source>
        <translation>Write</translation>
    </message>
</context>
<context>
    <name>torvik::MachineWindow</name>
    <message>
        <source>マルチコア(&amp;C)</source>
        <translation>&amp;Cores</translation>
    </message>
    <message>
        <source>プロセッサの処理能力を 1 スレッドから使えるすべてのプロセッサまで計測します</source>
        <translation>Measures the processor&apos;s throughput from one thread to every usable processor</translation>
    </message>
    <message>
        <source>メモリ(&amp;M)</source>
        <translation>&amp;Memory</translation>
    </message>
    <message>
        <source>メモリ帯域 (STREAM) とレイテンシの曲線を計測します</source>
        <translation>Measures the memory bandwidth (STREAM) and the latency curve</translation>
    </message>
    <message>
        <source>コア＋メモリ(&amp;O)</source>
        <translation>C&amp;ores + memory</translation>
    </message>
    <message>
        <source>マルチコアとメモリを順に計測します</source>
        <translation>Measures the cores, then the memory</translation>
    </message>
    <message>
        <source>ドライブ(&amp;D)</source>
        <translation>&amp;Drive</translation>
    </message>
    <message>
        <source>テストフォルダのドライブを順次と 4K ランダムで計測します</source>
        <translation>Measures the test folder&apos;s drive, sequential and 4K random</translation>
    </message>
    <message>
        <source>マルチコア</source>
        <translation>Cores</translation>
    </message>
    <message>
        <source>メモリ</source>
        <translation>Memory</translation>
    </message>
    <message>
        <source>ドライブ</source>
        <translation>Drive</translation>
    </message>
    <message>
        <source>現行マシン計測</source>
        <translation>Today&apos;s Machine</translation>
    </message>
    <message>
        <source>中止(&amp;S)</source>
        <translation>&amp;Stop</translation>
    </message>
    <message>
        <source>計測中の項目が終わったところで計測を中止します</source>
        <translation>Stops the measurement once the point under way has ended</translation>
    </message>
    <message>
        <source>進捗</source>
        <translation>Progress</translation>
    </message>
    <message>
        <source>計測の進み具合</source>
        <translation>How far the measurement has got</translation>
    </message>
    <message>
        <source>状態</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>計測値の表</source>
        <translation>Table of figures</translation>
    </message>
    <message>
        <source>項目ごとのテスト、速度と詳細</source>
        <translation>Each point&apos;s test, rate and detail</translation>
    </message>
    <message>
        <source>マシンの情報(&amp;F)</source>
        <translation>Machine &amp;facts</translation>
    </message>
    <message>
        <source>マシンの情報</source>
        <translation>Machine facts</translation>
    </message>
    <message>
        <source>計測したグループが見つけたマシンの情報</source>
        <translation>What the groups measured found of the machine</translation>
    </message>
    <message>
        <source>計測するグループのボタンを押してください</source>
        <translation>Press a group&apos;s button to measure it</translation>
    </message>
</context>
<context>
    <name>torvik::MainWindow</name>
    <message>
        <source>CPUの整数演算と浮動小数点演算を計測します</source>
        <translation>Measures the processor&apos;s integer and floating-point speed</translation>
    </message>
    <message>
        <source>四角形・円・三角形・テキスト・スクロールの描画を計測します</source>
        <translation>Measures drawing rectangles, circles, triangles, text and scrolling</translation>
    </message>
    <message>
        <source>メモリ転送を計測します</source>
        <translation>Measures memory transfer</translation>
    </message>
    <message>
        <source>ディスクの書き込みと読み込みを計測します</source>
        <translation>Measures disk writing and reading</translation>
    </message>
    <message>
        <source>すべてのテストを順に計測します</source>
        <translation>Runs every test in turn</translation>
    </message>
    <message>
        <source>結果シートに今回の結果を書き加えます</source>
        <translation>Adds these results to the result sheet</translation>
    </message>
    <message>
        <source>計測を中止します</source>
        <translation>Stops the measurement</translation>
    </message>
    <message>
        <source>進捗</source>
        <translation>Progress</translation>
    </message>
    <message>
        <source>計測の進み具合</source>
        <translation>How far the measurement has got</translation>
    </message>
    <message>
        <source>設定</source>
        <translation>&amp;Settings</translation>
    </message>
    <message>
        <source>計測環境</source>
        <translation>&amp;Measurement setup...</translation>
    </message>
    <message>
        <source>計測結果の比較</source>
        <translation>&amp;Compare results...</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>？</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>ヘルプ</source>
        <translation>Help &amp;contents</translation>
    </message>
    <message>
        <source>バージョン情報</source>
        <translation>&amp;About TORVIK</translation>
    </message>
    <message>
        <source>現行マシン計測</source>
        <translation>&amp;Today&apos;s machine...</translation>
    </message>
</context>
<context>
    <name>torvik::PointTableModel</name>
    <message>
        <source>テスト</source>
        <translation>Test</translation>
    </message>
    <message>
        <source>速度</source>
        <translation>Rate</translation>
    </message>
    <message>
        <source>詳細</source>
        <translation>Detail</translation>
    </message>
</context>
<context>
    <name>torvik::RankingView</name>
    <message>
        <source>グループ(&amp;J):</source>
        <translation>&amp;Group:</translation>
    </message>
    <message>
        <source>基準マシン(&amp;K):</source>
        <translation>&amp;Baseline machine:</translation>
    </message>
    <message>
        <source>ランキング</source>
        <translation>Ranking</translation>
    </message>
    <message>
        <source>このグループの計測はありません。</source>
        <translation>No runs of this group.</translation>
    </message>
    <message>
        <source>承認されたマシンの計測はありません。承認待ち・退役・マシン ID なしのマシン %1 台の計測は、所有者が承認するまで順位に入りません (torvik --machines、--approve)。</source>
        <translation>No approved machine has runs of this group. The runs of %1 machine(s) that are pending, retired or without a machine id are ranked once the store&apos;s owner approves them (torvik --machines, --approve).</translation>
    </message>
    <message>
        <source>各マシンの最新の系列を基準マシンと比べ、総合 (速度の幾何平均) の速い順に並べています。%1</source>
        <translation>Each machine&apos;s latest series against the baseline machine, fastest first by the overall figure (the geometric mean of the rates). %1</translation>
    </message>
</context>
<context>
    <name>torvik::RunListModel</name>
    <message>
        <source>計測</source>
        <translation>measured</translation>
    </message>
    <message>
        <source>シート</source>
        <translation>sheet</translation>
    </message>
    <message>
        <source>日時</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>グループ</source>
        <translation>Group</translation>
    </message>
    <message>
        <source>PC名</source>
        <translation>PC name</translation>
    </message>
    <message>
        <source>プロセッサ</source>
        <translation>Processor</translation>
    </message>
    <message>
        <source>Bench No</source>
        <translation>Bench No</translation>
    </message>
    <message>
        <source>合計</source>
        <translation>Total</translation>
    </message>
    <message>
        <source>記録元</source>
        <translation>Source</translation>
    </message>
</context>
<context>
    <name>torvik::SettingsDialog</name>
    <message>
        <source>環境設定</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>計測ドライブ</source>
        <translation>Test folder</translation>
    </message>
    <message>
        <source>※パス形式で指定</source>
        <translation>* given as a path</translation>
    </message>
    <message>
        <source>結果シートに記録する使用者の名前</source>
        <translation>The user&apos;s name written on the result sheet</translation>
    </message>
    <message>
        <source>結果シートに記録する PC の名前</source>
        <translation>The PC&apos;s name written on the result sheet</translation>
    </message>
</context>
<context>
    <name>torvik::SharedStoreDialog</name>
    <message>
        <source>共有の計測結果</source>
        <translation>Shared results store</translation>
    </message>
    <message>
        <source>複数の PC の計測結果を集める PostgreSQL の URL です。パスワードは書かず、~/.pgpass か PGPASSWORD で渡します。空にすると、この PC だけに保存します。</source>
        <translation>The PostgreSQL URL where the runs of many PCs meet. Write no password in it: ~/.pgpass or PGPASSWORD supply it. Empty keeps the runs on this PC only.</translation>
    </message>
    <message>
        <source>&amp;URL:</source>
        <translation>&amp;URL:</translation>
    </message>
    <message>
        <source>接続を試す(&amp;T)</source>
        <translation>&amp;Test connection</translation>
    </message>
    <message>
        <source>PostgreSQL の URL (postgresql://ユーザー@ホスト/データベース) を入力してください。</source>
        <translation>Enter a PostgreSQL URL (postgresql://user@host/database).</translation>
    </message>
    <message>
        <source>設定ファイルに書けません。</source>
        <translation>Cannot write the settings file.</translation>
    </message>
    <message>
        <source>URL がありません。</source>
        <translation>There is no URL.</translation>
    </message>
    <message>
        <source>接続できました。計測結果は %1 件です。</source>
        <translation>Connected. The store holds %1 run(s).</translation>
    </message>
    <message>
        <source>接続しています…</source>
        <translation>Connecting…</translation>
    </message>
    <message>
        <source>パスワードは URL に書かないでください。~/.pgpass、PGPASSWORD かサービスファイルで渡します。</source>
        <translation>Do not write a password into the URL: libpq takes it from ~/.pgpass, PGPASSWORD or a service file.</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>キャンセル(&amp;C)</source>
        <translation>&amp;Cancel</translation>
    </message>
</context>
<context>
    <name>torvik::TrendView</name>
    <message>
        <source>計測を選択すると、その PC の推移 (系列ごとの平均とばらつき) を表示します。</source>
        <translation>Tick a run to see its PC&apos;s trend (each series&apos; mean and spread).</translation>
    </message>
    <message>
        <source>選択した計測の PC ごとに、系列 (同じコマンドの繰り返し) の平均と、帯で ±1 標準偏差。緑の三角: 前の系列より速く、赤いひし形: 遅く、その差がノイズを超える (ウェルチの t 検定、95 %)。赤い輪: 計測中にほかの処理かクロックの変化あり。</source>
        <translation>For each PC of the ticked runs: each series&apos; mean (the repetitions of one command), the band one standard deviation. Green triangle: faster than the series before, red diamond: slower, beyond the noise (Welch&apos;s t test, 95 %). Red ring: other programs or a moving clock while it ran.</translation>
    </message>
</context>
</TS>
