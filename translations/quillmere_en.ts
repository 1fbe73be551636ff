<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>qm::AddFolder</name>
    <message numerus="yes">
        <source>(and %n more folders that could not be read)</source>
        <translation>
            <numerusform>(and %n more folder that could not be read)</numerusform>
            <numerusform>(and %n more folders that could not be read)</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>qm::BatchSplit</name>
    <message numerus="yes">
        <source>%n part(s)</source>
        <translation>
            <numerusform>%n part</numerusform>
            <numerusform>%n parts</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>qm::PlanPreview</name>
    <message numerus="yes">
        <source>%n part(s), largest %1 MB</source>
        <translation>
            <numerusform>%n part, largest %1 MB</numerusform>
            <numerusform>%n parts, largest %1 MB</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>qm::SplitReason</name>
    <message numerus="yes">
        <source>the splitting tool made %n parts where %1 were planned.</source>
        <translation>
            <numerusform>the splitting tool made %n part where %1 were planned.</numerusform>
            <numerusform>the splitting tool made %n parts where %1 were planned.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>it has %n byte(s) before its first entry (a self-extracting stub) that its offsets do not count, which the splitting tool cannot follow; zip -A mends that.</source>
        <translation>
            <numerusform>it has %n byte before its first entry (a self-extracting stub) that its offsets do not count, which the splitting tool cannot follow; zip -A mends that.</numerusform>
            <numerusform>it has %n bytes before its first entry (a self-extracting stub) that its offsets do not count, which the splitting tool cannot follow; zip -A mends that.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>qm::SplitRun</name>
    <message numerus="yes">
        <source>These %n archives could not be split:</source>
        <translation>
            <numerusform>This archive could not be split:</numerusform>
            <numerusform>These %n archives could not be split:</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Splitting was stopped; these %n archives were not split:</source>
        <translation>
            <numerusform>Splitting was stopped; this archive was not split:</numerusform>
            <numerusform>Splitting was stopped; these %n archives were not split:</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n archive(s)</source>
        <translation>
            <numerusform>%n archive</numerusform>
            <numerusform>%n archives</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n part(s)</source>
        <translation>
            <numerusform>%n part</numerusform>
            <numerusform>%n parts</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n archive(s) could not be split.</source>
        <translation>
            <numerusform>%n archive could not be split.</numerusform>
            <numerusform>%n archives could not be split.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Splitting was stopped before %n archive(s).</source>
        <translation>
            <numerusform>Splitting was stopped before %n archive.</numerusform>
            <numerusform>Splitting was stopped before %n archives.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n part(s) were saved under other names.</source>
        <translation>
            <numerusform>%n part was saved under another name.</numerusform>
            <numerusform>%n parts were saved under other names.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n archive(s) have parts larger than the size asked for.</source>
        <translation>
            <numerusform>%n archive has parts larger than the size asked for.</numerusform>
            <numerusform>%n archives have parts larger than the size asked for.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>about %n second(s) left</source>
        <translation>
            <numerusform>about %n second left</numerusform>
            <numerusform>about %n seconds left</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>about %n minute(s) left</source>
        <translation>
            <numerusform>about %n minute left</numerusform>
            <numerusform>about %n minutes left</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 of %n archive(s)</source>
        <extracomment>%1 archives done, %n all archives of the run</extracomment>
        <translation>
            <numerusform>%1 of %n archive</numerusform>
            <numerusform>%1 of %n archives</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n archive(s) were not split: %1</source>
        <extracomment>%1 why the output folder took no more parts</extracomment>
        <translation>
            <numerusform>%n archive was not split: %1</numerusform>
            <numerusform>%n archives were not split: %1</numerusform>
        </translation>
    </message>
</context>
</TS>
