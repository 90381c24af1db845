<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>AboutDialog</name>
    <message>
        <source>About</source>
        <translation>Info</translation>
    </message>
    <message>
        <source>PC-Vigilor</source>
        <translation>PC-Vigilor</translation>
    </message>
    <message>
        <source>Version: 1.2.0</source>
        <translation>Version: 1.2.0</translation>
    </message>
    <message>
        <source>License: Freeware</source>
        <translation>Lizenz: Freeware</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Copyright © 2026 Quorvex. All rights reserved.</source>
        <translation>Copyright © 2026 Quorvex. Alle Rechte vorbehalten.</translation>
    </message>
    <message>
        <source>Website:</source>
        <translation>Website:</translation>
    </message>
    <message>
        <source>for Windows 11/10</source>
        <translation>für Windows 11/10</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>PC-Vigilor</source>
        <translation>PC-Vigilor</translation>
    </message>
</context>
<context>
    <name>OtherAppsDialog</name>
    <message>
        <source>Upgrade Now</source>
        <translation>Jetzt upgraden</translation>
    </message>
    <message>
        <source>Quorvex Halvern Plus!</source>
        <translation>Quorvex Halvern Plus!</translation>
    </message>
    <message>
        <source>It is an all-in-one application that comes with impressive number of modules for cleaning and optimizing Windows 11 and 10.


</source>
        <translation>Eine All-in-one-Anwendung mit beeindruckend vielen Modulen zum Bereinigen und Optimieren von Windows 11 und 10.


</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Visit Our Website to Download Trial Version</source>
        <translation>Testversion auf unserer Website herunterladen</translation>
    </message>
    <message>
        <source>Buy Now</source>
        <translation>Jetzt kaufen</translation>
    </message>
    <message>
        <source>Price: $9.99</source>
        <translation>Preis: 9,99 $</translation>
    </message>
</context>
<context>
    <name>VigilorForm</name>
    <message>
        <source>Shortcut to start or stop a session:</source>
        <translation>Tastenkombination zum Starten oder Beenden einer Sitzung:</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Keep your PC awake for</source>
        <translation>PC wach halten für</translation>
    </message>
    <message>
        <source>Other actions:</source>
        <translation>Weitere Aktionen:</translation>
    </message>
    <message>
        <source>Tell Windows to keep the monitor on</source>
        <translation>Windows anweisen, den Bildschirm eingeschaltet zu lassen</translation>
    </message>
    <message>
        <source>Simulate keyboard press action every   </source>
        <translation>Tastendruck simulieren alle   </translation>
    </message>
    <message>
        <source>Simulating keyboard action will prevent screensaver from starting and avoid app to change your status or availability.</source>
        <translation>Der simulierte Tastendruck verhindert, dass der Bildschirmschoner startet und Apps Ihren Status auf „Abwesend“ setzen.</translation>
    </message>
    <message>
        <source>Website</source>
        <translation>Website</translation>
    </message>
    <message>
        <source>Optimize Windows Performance</source>
        <translation>Windows-Leistung optimieren</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Info</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Starten</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>minute(s)</source>
        <translation>Minute(n)</translation>
    </message>
    <message>
        <source>When running you can cancel the Vigilor session through icon in the System Tray.</source>
        <translation>Eine laufende Vigilor-Sitzung können Sie über das Symbol im Infobereich der Taskleiste abbrechen.</translation>
    </message>
    <message>
        <source>Temporarily change power scheme to</source>
        <translation>Energiesparplan vorübergehend wechseln zu</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Shut down Windows when finish</source>
        <translation>Windows am Ende herunterfahren</translation>
    </message>
    <message>
        <source>Minute(s)</source>
        <translation>Minute(n)</translation>
    </message>
    <message>
        <source>Hour(s)</source>
        <translation>Stunde(n)</translation>
    </message>
    <message>
        <source>Power saver</source>
        <translation>Energiesparmodus</translation>
    </message>
    <message>
        <source>Balanced</source>
        <translation>Ausbalanciert</translation>
    </message>
    <message>
        <source>High performance</source>
        <translation>Höchstleistung</translation>
    </message>
    <message>
        <source>Vigilor session will be ended at </source>
        <translation>Die Vigilor-Sitzung endet um </translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>The Vigilor module cannot start properly. please try again in a few minutes.</source>
        <translation>Das Vigilor-Modul kann nicht richtig starten. Bitte versuchen Sie es in einigen Minuten erneut.</translation>
    </message>
    <message>
        <source>The stored settings are unchanged.</source>
        <translation>Die gespeicherten Einstellungen sind unverändert.</translation>
    </message>
    <message>
        <source>Some stored settings were changed and could not be put back.</source>
        <translation>Einige gespeicherte Einstellungen wurden geändert und konnten nicht wiederhergestellt werden.</translation>
    </message>
    <message>
        <source>Windows does not allow PC-Vigilor to change its settings in the registry.</source>
        <translation>Windows erlaubt PC-Vigilor nicht, seine Einstellungen in der Registrierung zu ändern.</translation>
    </message>
    <message>
        <source>Windows reported: %1</source>
        <translation>Meldung von Windows: %1</translation>
    </message>
    <message>
        <source>The settings could not be saved, so the session was not started.</source>
        <translation>Die Einstellungen konnten nicht gespeichert werden. Die Sitzung wurde daher nicht gestartet.</translation>
    </message>
    <message>
        <source>The settings could not be saved.</source>
        <translation>Die Einstellungen konnten nicht gespeichert werden.</translation>
    </message>
    <message>
        <source>Set by your organisation</source>
        <translation>Von Ihrer Organisation festgelegt</translation>
    </message>
    <message>
        <source>Set by your organisation: at most %1 hour(s)</source>
        <translation>Von Ihrer Organisation festgelegt: höchstens %1 Stunde(n)</translation>
    </message>
    <message>
        <source>PC-Vigilor is turned off by your organisation</source>
        <translation>PC-Vigilor wurde von Ihrer Organisation ausgeschaltet</translation>
    </message>
    <message>
        <source>%1 (unit)</source>
        <translation>%1 (Einheit)</translation>
    </message>
</context>
</TS>
