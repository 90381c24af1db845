<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR">
<context>
    <name>AboutDialog</name>
    <message>
        <source>About</source>
        <translation>À propos</translation>
    </message>
    <message>
        <source>PC-Vigilor</source>
        <translation>PC-Vigilor</translation>
    </message>
    <message>
        <source>Version: 1.2.0</source>
        <translation>Version&#xa0;: 1.2.0</translation>
    </message>
    <message>
        <source>License: Freeware</source>
        <translation>Licence&#xa0;: logiciel gratuit</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
    <message>
        <source>Copyright © 2026 Quorvex. All rights reserved.</source>
        <translation>Copyright © 2026 Quorvex. Tous droits réservés.</translation>
    </message>
    <message>
        <source>Website:</source>
        <translation>Site&#xa0;:</translation>
    </message>
    <message>
        <source>for Windows 11/10</source>
        <translation>Windows 11/10</translation>
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
        <translation>Mettre à niveau</translation>
    </message>
    <message>
        <source>Quorvex Halvern Plus!</source>
        <translation>Quorvex Halvern Plus!</translation>
    </message>
    <message>
        <source>It is an all-in-one application that comes with impressive number of modules for cleaning and optimizing Windows 11 and 10.


</source>
        <translation>Une application tout-en-un dotée d&apos;un nombre impressionnant de modules pour nettoyer et optimiser Windows 11 et 10.


</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
    <message>
        <source>Visit Our Website to Download Trial Version</source>
        <translation>Télécharger la version d&apos;essai sur notre site</translation>
    </message>
    <message>
        <source>Buy Now</source>
        <translation>Acheter</translation>
    </message>
    <message>
        <source>Price: $9.99</source>
        <translation>Prix&#xa0;: 9,99&#xa0;$</translation>
    </message>
</context>
<context>
    <name>VigilorForm</name>
    <message>
        <source>Shortcut to start or stop a session:</source>
        <translation>Raccourci pour démarrer ou arrêter une session :</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Effacer</translation>
    </message>
    <message>
        <source>Keep your PC awake for</source>
        <translation>Garder le PC éveillé pendant</translation>
    </message>
    <message>
        <source>Other actions:</source>
        <translation>Autres actions&#xa0;:</translation>
    </message>
    <message>
        <source>Tell Windows to keep the monitor on</source>
        <translation>Demander à Windows de laisser l&apos;écran allumé</translation>
    </message>
    <message>
        <source>Simulate keyboard press action every   </source>
        <translation>Simuler un appui sur une touche toutes les   </translation>
    </message>
    <message>
        <source>Simulating keyboard action will prevent screensaver from starting and avoid app to change your status or availability.</source>
        <translation>La simulation d&apos;appui sur une touche empêche l&apos;écran de veille de démarrer et les applications de vous indiquer comme absent.</translation>
    </message>
    <message>
        <source>Website</source>
        <translation>Site web</translation>
    </message>
    <message>
        <source>Optimize Windows Performance</source>
        <translation>Optimiser les performances de Windows</translation>
    </message>
    <message>
        <source>About</source>
        <translation>À propos</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Démarrer</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>minute(s)</source>
        <translation>minute(s)</translation>
    </message>
    <message>
        <source>When running you can cancel the Vigilor session through icon in the System Tray.</source>
        <translation>Une session Vigilor en cours peut être annulée à l&apos;aide de son icône dans la zone de notification.</translation>
    </message>
    <message>
        <source>Temporarily change power scheme to</source>
        <translation>Passer temporairement au mode de gestion de l&apos;alimentation</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Enregistrer</translation>
    </message>
    <message>
        <source>Shut down Windows when finish</source>
        <translation>Arrêter Windows à la fin</translation>
    </message>
    <message>
        <source>Minute(s)</source>
        <translation>Minute(s)</translation>
    </message>
    <message>
        <source>Hour(s)</source>
        <translation>Heure(s)</translation>
    </message>
    <message>
        <source>Power saver</source>
        <translation>Économies d&apos;énergie</translation>
    </message>
    <message>
        <source>Balanced</source>
        <translation>Utilisation normale</translation>
    </message>
    <message>
        <source>High performance</source>
        <translation>Performances élevées</translation>
    </message>
    <message>
        <source>Vigilor session will be ended at </source>
        <translation>La session Vigilor se terminera à </translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Erreur</translation>
    </message>
    <message>
        <source>The Vigilor module cannot start properly. please try again in a few minutes.</source>
        <translation>Le module Vigilor ne peut pas démarrer correctement. Veuillez réessayer dans quelques minutes.</translation>
    </message>
    <message>
        <source>The stored settings are unchanged.</source>
        <translation>Les paramètres enregistrés sont inchangés.</translation>
    </message>
    <message>
        <source>Some stored settings were changed and could not be put back.</source>
        <translation>Certains paramètres enregistrés ont été modifiés et n'ont pas pu être rétablis.</translation>
    </message>
    <message>
        <source>Windows does not allow PC-Vigilor to change its settings in the registry.</source>
        <translation>Windows n'autorise pas PC-Vigilor à modifier ses paramètres dans le Registre.</translation>
    </message>
    <message>
        <source>Windows reported: %1</source>
        <translation>Message de Windows : %1</translation>
    </message>
    <message>
        <source>The settings could not be saved, so the session was not started.</source>
        <translation>Impossible d'enregistrer les paramètres : la session n'a donc pas été démarrée.</translation>
    </message>
    <message>
        <source>The settings could not be saved.</source>
        <translation>Impossible d'enregistrer les paramètres.</translation>
    </message>
    <message>
        <source>Set by your organisation</source>
        <translation>Défini par votre organisation</translation>
    </message>
    <message>
        <source>Set by your organisation: at most %1 hour(s)</source>
        <translation>Défini par votre organisation : au plus %1 heure(s)</translation>
    </message>
    <message>
        <source>PC-Vigilor is turned off by your organisation</source>
        <translation>PC-Vigilor est désactivé par votre organisation</translation>
    </message>
    <message>
        <source>%1 (unit)</source>
        <translation>%1 (unité)</translation>
    </message>
</context>
</TS>
