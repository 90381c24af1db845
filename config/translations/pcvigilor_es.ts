<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es_ES">
<context>
    <name>AboutDialog</name>
    <message>
        <source>About</source>
        <translation>Acerca de</translation>
    </message>
    <message>
        <source>PC-Vigilor</source>
        <translation>PC-Vigilor</translation>
    </message>
    <message>
        <source>Version: 1.2.0</source>
        <translation>Versión: 1.2.0</translation>
    </message>
    <message>
        <source>License: Freeware</source>
        <translation>Licencia: software gratuito</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Cerrar</translation>
    </message>
    <message>
        <source>Copyright © 2026 Quorvex. All rights reserved.</source>
        <translation>Copyright © 2026 Quorvex. Todos los derechos reservados.</translation>
    </message>
    <message>
        <source>Website:</source>
        <translation>Web:</translation>
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
        <translation>Actualizar ahora</translation>
    </message>
    <message>
        <source>Quorvex Halvern Plus!</source>
        <translation>Quorvex Halvern Plus!</translation>
    </message>
    <message>
        <source>It is an all-in-one application that comes with impressive number of modules for cleaning and optimizing Windows 11 and 10.


</source>
        <translation>Una aplicación todo en uno con un número impresionante de módulos para limpiar y optimizar Windows 11 y 10.


</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Cerrar</translation>
    </message>
    <message>
        <source>Visit Our Website to Download Trial Version</source>
        <translation>Descargar la versión de prueba de nuestra web</translation>
    </message>
    <message>
        <source>Buy Now</source>
        <translation>Comprar ahora</translation>
    </message>
    <message>
        <source>Price: $9.99</source>
        <translation>Precio: 9,99 $</translation>
    </message>
</context>
<context>
    <name>VigilorForm</name>
    <message>
        <source>Shortcut to start or stop a session:</source>
        <translation>Atajo para iniciar o detener una sesión:</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Borrar</translation>
    </message>
    <message>
        <source>Keep your PC awake for</source>
        <translation>Mantener el PC despierto durante</translation>
    </message>
    <message>
        <source>Other actions:</source>
        <translation>Otras acciones:</translation>
    </message>
    <message>
        <source>Tell Windows to keep the monitor on</source>
        <translation>Indicar a Windows que mantenga la pantalla encendida</translation>
    </message>
    <message>
        <source>Simulate keyboard press action every   </source>
        <translation>Simular una pulsación de tecla cada   </translation>
    </message>
    <message>
        <source>Simulating keyboard action will prevent screensaver from starting and avoid app to change your status or availability.</source>
        <translation>La pulsación simulada evita que se inicie el protector de pantalla y que las aplicaciones cambien su estado a «Ausente».</translation>
    </message>
    <message>
        <source>Website</source>
        <translation>Sitio web</translation>
    </message>
    <message>
        <source>Optimize Windows Performance</source>
        <translation>Optimizar el rendimiento de Windows</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Acerca de</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Iniciar</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>minute(s)</source>
        <translation>minuto(s)</translation>
    </message>
    <message>
        <source>When running you can cancel the Vigilor session through icon in the System Tray.</source>
        <translation>Una sesión de Vigilor en curso se puede cancelar desde su icono en el área de notificación.</translation>
    </message>
    <message>
        <source>Temporarily change power scheme to</source>
        <translation>Cambiar temporalmente al plan de energía</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Guardar</translation>
    </message>
    <message>
        <source>Shut down Windows when finish</source>
        <translation>Apagar Windows al terminar</translation>
    </message>
    <message>
        <source>Minute(s)</source>
        <translation>Minuto(s)</translation>
    </message>
    <message>
        <source>Hour(s)</source>
        <translation>Hora(s)</translation>
    </message>
    <message>
        <source>Power saver</source>
        <translation>Economizador</translation>
    </message>
    <message>
        <source>Balanced</source>
        <translation>Equilibrado</translation>
    </message>
    <message>
        <source>High performance</source>
        <translation>Alto rendimiento</translation>
    </message>
    <message>
        <source>Vigilor session will be ended at </source>
        <translation>La sesión de Vigilor finalizará a las </translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>The Vigilor module cannot start properly. please try again in a few minutes.</source>
        <translation>El módulo de Vigilor no puede iniciarse correctamente. Vuelva a intentarlo dentro de unos minutos.</translation>
    </message>
    <message>
        <source>The stored settings are unchanged.</source>
        <translation>La configuración guardada no ha cambiado.</translation>
    </message>
    <message>
        <source>Some stored settings were changed and could not be put back.</source>
        <translation>Parte de la configuración guardada se cambió y no se pudo restablecer.</translation>
    </message>
    <message>
        <source>Windows does not allow PC-Vigilor to change its settings in the registry.</source>
        <translation>Windows no permite que PC-Vigilor cambie su configuración en el Registro.</translation>
    </message>
    <message>
        <source>Windows reported: %1</source>
        <translation>Windows informó: %1</translation>
    </message>
    <message>
        <source>The settings could not be saved, so the session was not started.</source>
        <translation>No se pudo guardar la configuración, por lo que la sesión no se inició.</translation>
    </message>
    <message>
        <source>The settings could not be saved.</source>
        <translation>No se pudo guardar la configuración.</translation>
    </message>
    <message>
        <source>Set by your organisation</source>
        <translation>Establecido por su organización</translation>
    </message>
    <message>
        <source>Set by your organisation: at most %1 hour(s)</source>
        <translation>Establecido por su organización: como máximo %1 hora(s)</translation>
    </message>
    <message>
        <source>PC-Vigilor is turned off by your organisation</source>
        <translation>Su organización ha desactivado PC-Vigilor</translation>
    </message>
    <message>
        <source>%1 (unit)</source>
        <translation>%1 (unidad)</translation>
    </message>
</context>
</TS>
