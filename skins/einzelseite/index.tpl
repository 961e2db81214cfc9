<!DOCTYPE html>
<html lang="de">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<meta name="color-scheme" content="light dark">
<title>%HTML:GALERIETITEL%</title>
<meta name="description" content="%HTML:GALERIETITEL%: %NUM_RECORDS% Bilder">
<link rel="icon" href="data:,">
<link rel="stylesheet" href="files/einzelseite.css">
<style>:root { --zeile: %ZEILENHOEHE%px; }</style>
<script src="files/leuchtkasten.js" defer></script>
</head>
<body>
<header class="kopf">
<h1>%HTML:GALERIETITEL%</h1>
[VTL] CONDITION(DoesExist(%EINLEITUNG%))<p class="einleitung">%HTML:EINLEITUNG%</p>[VTL] END CONDITION
<p class="anzahl">%NUM_RECORDS% Bilder · ein Klick zeigt ein Bild groß</p>
</header>
<main>
<ul class="raster">
<!--[VTL] NEWSECTION NAME:erste NUMREPEAT:1 -->
<li class="titelbild" style="--w: %THUMB:WIDTH%; --h: %THUMB:HEIGHT%"><a class="foto" href="%URL:GROSS%" data-srcset="%URL:TELEFON% %TELEFON:WIDTH%w, %URL:ANSICHT% %ANSICHT:WIDTH%w, %URL:GROSS% %GROSS:WIDTH%w" data-srcset-avif="%URL:TELEFON_AVIF% %TELEFON:WIDTH%w, %URL:ANSICHT_AVIF% %ANSICHT:WIDTH%w, %URL:GROSS_AVIF% %GROSS:WIDTH%w" data-breite="%GROSS:WIDTH%" data-hoehe="%GROSS:HEIGHT%" data-titel="[VTL] CONDITION(DoesExist(%Titel%))%HTML:Titel%[VTL] END CONDITION[VTL] CONDITION(DoesExist(%Titel%)=FALSE)%META:TITLE%[VTL] END CONDITION" data-text="[VTL] CONDITION(DoesExist(%Beschreibung%))%HTML:Beschreibung%[VTL] END CONDITION[VTL] CONDITION(DoesExist(%Beschreibung%)=FALSE)%META:DESCRIPTION%[VTL] END CONDITION" data-datum="%EXIF:DATE%" data-kamera="%EXIF:CAMERA%"><picture><source type="image/avif" srcset="%URL:THUMB_AVIF% %THUMB:WIDTH%w, %URL:THUMB15X_AVIF% %THUMB15X:WIDTH%w, %URL:THUMBTELEFON_AVIF% %THUMBTELEFON:WIDTH%w, %URL:THUMB2X_AVIF% %THUMB2X:WIDTH%w, %URL:TELEFON_AVIF% %TELEFON:WIDTH%w, %URL:ANSICHT_AVIF% %ANSICHT:WIDTH%w" sizes="(max-width: 480px) calc(100vw - 1rem), [VTL] CONDITION(ISPORTRAIT)calc(%ZEILENHOEHE%px * 0.7)[VTL] END CONDITION[VTL] CONDITION(ISPORTRAIT=FALSE)calc(%ZEILENHOEHE%px * 1.4)[VTL] END CONDITION"><img src="%URL:THUMB%" srcset="%URL:THUMB% %THUMB:WIDTH%w, %URL:THUMB15X% %THUMB15X:WIDTH%w, %URL:THUMBTELEFON% %THUMBTELEFON:WIDTH%w, %URL:THUMB2X% %THUMB2X:WIDTH%w, %URL:TELEFON% %TELEFON:WIDTH%w, %URL:ANSICHT% %ANSICHT:WIDTH%w" sizes="(max-width: 480px) calc(100vw - 1rem), [VTL] CONDITION(ISPORTRAIT)calc(%ZEILENHOEHE%px * 0.7)[VTL] END CONDITION[VTL] CONDITION(ISPORTRAIT=FALSE)calc(%ZEILENHOEHE%px * 1.4)[VTL] END CONDITION" width="%THUMB:WIDTH%" height="%THUMB:HEIGHT%" alt="[VTL] CONDITION(DoesExist(%Titel%))%HTML:Titel%[VTL] END CONDITION[VTL] CONDITION(DoesExist(%Titel%)=FALSE)%META:TITLE%[VTL] END CONDITION[VTL] CONDITION(DoesExist(%Titel%%META:TITLE%)=FALSE)Bild %IMG_NUMBER%[VTL] END CONDITION" fetchpriority="high" decoding="async"></picture></a></li>
<!--[VTL] ENDSECTION -->
<!--[VTL] NEWSECTION NAME:weitere NUMREPEAT:0 -->
<li style="--w: %THUMB:WIDTH%; --h: %THUMB:HEIGHT%"><a class="foto" href="%URL:GROSS%" data-srcset="%URL:TELEFON% %TELEFON:WIDTH%w, %URL:ANSICHT% %ANSICHT:WIDTH%w, %URL:GROSS% %GROSS:WIDTH%w" data-srcset-avif="%URL:TELEFON_AVIF% %TELEFON:WIDTH%w, %URL:ANSICHT_AVIF% %ANSICHT:WIDTH%w, %URL:GROSS_AVIF% %GROSS:WIDTH%w" data-breite="%GROSS:WIDTH%" data-hoehe="%GROSS:HEIGHT%" data-titel="[VTL] CONDITION(DoesExist(%Titel%))%HTML:Titel%[VTL] END CONDITION[VTL] CONDITION(DoesExist(%Titel%)=FALSE)%META:TITLE%[VTL] END CONDITION" data-text="[VTL] CONDITION(DoesExist(%Beschreibung%))%HTML:Beschreibung%[VTL] END CONDITION[VTL] CONDITION(DoesExist(%Beschreibung%)=FALSE)%META:DESCRIPTION%[VTL] END CONDITION" data-datum="%EXIF:DATE%" data-kamera="%EXIF:CAMERA%"><picture><source type="image/avif" srcset="%URL:THUMB_AVIF% %THUMB:WIDTH%w, %URL:THUMB15X_AVIF% %THUMB15X:WIDTH%w, %URL:THUMBTELEFON_AVIF% %THUMBTELEFON:WIDTH%w, %URL:THUMB2X_AVIF% %THUMB2X:WIDTH%w" sizes="auto, [VTL] CONDITION(ISPORTRAIT)(max-width: 480px) 30vw, calc(%ZEILENHOEHE%px * 0.7)[VTL] END CONDITION[VTL] CONDITION(ISPORTRAIT=FALSE)(max-width: 480px) 60vw, calc(%ZEILENHOEHE%px * 1.4)[VTL] END CONDITION"><img src="%URL:THUMB%" srcset="%URL:THUMB% %THUMB:WIDTH%w, %URL:THUMB15X% %THUMB15X:WIDTH%w, %URL:THUMBTELEFON% %THUMBTELEFON:WIDTH%w, %URL:THUMB2X% %THUMB2X:WIDTH%w" sizes="auto, [VTL] CONDITION(ISPORTRAIT)(max-width: 480px) 30vw, calc(%ZEILENHOEHE%px * 0.7)[VTL] END CONDITION[VTL] CONDITION(ISPORTRAIT=FALSE)(max-width: 480px) 60vw, calc(%ZEILENHOEHE%px * 1.4)[VTL] END CONDITION" width="%THUMB:WIDTH%" height="%THUMB:HEIGHT%" alt="[VTL] CONDITION(DoesExist(%Titel%))%HTML:Titel%[VTL] END CONDITION[VTL] CONDITION(DoesExist(%Titel%)=FALSE)%META:TITLE%[VTL] END CONDITION[VTL] CONDITION(DoesExist(%Titel%%META:TITLE%)=FALSE)Bild %IMG_NUMBER%[VTL] END CONDITION" loading="lazy" decoding="async"></picture></a></li>
<!--[VTL] ENDSECTION -->
</ul>
<!--[VTL] RESETCOUNTER -->
<details class="liste">
<summary>Alle %NUM_RECORDS% Bilder als Liste</summary>
<ol>
<!--[VTL] NEWSECTION NAME:zeile NUMREPEAT:0 -->
<li class="[VTL] CONDITION(IMGINDEXISEVEN)gerade[VTL] END CONDITION[VTL] CONDITION(IMGINDEXISEVEN=FALSE)ungerade[VTL] END CONDITION"><a href="%URL:GROSS%">[VTL] CONDITION(DoesExist(%Titel%))%HTML:Titel%[VTL] END CONDITION[VTL] CONDITION(DoesExist(%Titel%)=FALSE)%META:TITLE%[VTL] END CONDITION[VTL] CONDITION(DoesExist(%Titel%%META:TITLE%)=FALSE)%HTML:FNAME_NO_PATH%[VTL] END CONDITION</a>[VTL] CONDITION(DoesExist(%EXIF:DATE%)) · %EXIF:DATE%[VTL] END CONDITION[VTL] CONDITION(DoesExist(%EXIF:GPS%)) · <a href="https://www.openstreetmap.org/search?query=%URL:EXIF:GPS%" rel="external">Karte</a>[VTL] END CONDITION[VTL] CONDITION(DoesExist(%ORIGINAL%)) · <a href="%URL:ORIGINAL%" download>Original</a>[VTL] END CONDITION</li>
<!--[VTL] ENDSECTION -->
</ol>
</details>
</main>
<footer class="fuss"><p>Erstellt mit Vistrel · Pfeiltasten blättern, Esc schließt</p></footer>
</body>
</html>
