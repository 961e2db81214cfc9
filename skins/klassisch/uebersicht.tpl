<!DOCTYPE html>
<html lang="de">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>%HTML:GALERIETITEL%[VTL] CONDITION(ISFIRSTPATTERNPAGE=FALSE) – Seite %PATTERN_INDEX%[VTL] END CONDITION</title>
<link rel="icon" href="data:,">
<link rel="stylesheet" href="files/klassisch.css">
<style>:root { --grund: %HINTERGRUND%; --text: %TEXTFARBE%; }</style>
</head>
<body>
<header class="kopf">
<h1>%HTML:GALERIETITEL%</h1>
<p>Seite %PATTERN_INDEX% von %NUM_PATTERNPAGES% · %NUM_RECORDS% Bilder · <a href="%URL:DATEN%">Aufnahmedaten aller Bilder</a></p>
</header>
<main class="gitter" style="--spalten: %SPALTEN%">
<!--[VTL] NEWSECTION NAME:zeile NUMREPEAT:%ZEILEN% -->
<div class="zeile">
<!--[VTL] NEWSECTION NAME:zelle NUMREPEAT:%SPALTEN% -->
<figure class="zelle"><a href="%URL:BILD%"><picture><source type="image/avif" srcset="%URL:VORSCHAU_AVIF% %VORSCHAU:WIDTH%w, %URL:VORSCHAU16X_AVIF% %VORSCHAU16X:WIDTH%w, %URL:VORSCHAU2X_AVIF% %VORSCHAU2X:WIDTH%w" sizes="[VTL] CONDITION(ISLANDSCAPE)(max-width: 40rem) calc(50vw - 2.7rem - 2px), calc((min(100vw - 2rem, 76rem) + 1.5rem) / %SPALTEN% - 2.7rem - 2px)[VTL] END CONDITION[VTL] CONDITION(ISPORTRAIT)(max-width: 40rem) calc((50vw - 2.7rem - 2px) * %VORSCHAU:WIDTH% / %VORSCHAU:HEIGHT%), calc(((min(100vw - 2rem, 76rem) + 1.5rem) / %SPALTEN% - 2.7rem - 2px) * %VORSCHAU:WIDTH% / %VORSCHAU:HEIGHT%)[VTL] END CONDITION"><img src="%URL:VORSCHAU%" srcset="%URL:VORSCHAU% %VORSCHAU:WIDTH%w, %URL:VORSCHAU16X% %VORSCHAU16X:WIDTH%w, %URL:VORSCHAU2X% %VORSCHAU2X:WIDTH%w" sizes="[VTL] CONDITION(ISLANDSCAPE)(max-width: 40rem) calc(50vw - 2.7rem - 2px), calc((min(100vw - 2rem, 76rem) + 1.5rem) / %SPALTEN% - 2.7rem - 2px)[VTL] END CONDITION[VTL] CONDITION(ISPORTRAIT)(max-width: 40rem) calc((50vw - 2.7rem - 2px) * %VORSCHAU:WIDTH% / %VORSCHAU:HEIGHT%), calc(((min(100vw - 2rem, 76rem) + 1.5rem) / %SPALTEN% - 2.7rem - 2px) * %VORSCHAU:WIDTH% / %VORSCHAU:HEIGHT%)[VTL] END CONDITION" width="%VORSCHAU:WIDTH%" height="%VORSCHAU:HEIGHT%" alt="[VTL] CONDITION(DoesExist(%Titel%))%HTML:Titel%[VTL] END CONDITION[VTL] CONDITION(DoesExist(%Titel%)=FALSE)%META:TITLE%[VTL] END CONDITION[VTL] CONDITION(DoesExist(%Titel%%META:TITLE%)=FALSE)Bild %IMG_NUMBER%[VTL] END CONDITION"[VTL] CONDITION(ISFIRSTIMAGE=FALSE) loading="lazy"[VTL] END CONDITION></picture></a><figcaption>%IMG_NUMBER%[VTL] CONDITION(DoesExist(%Titel%%META:TITLE%)) · [VTL] END CONDITION[VTL] CONDITION(DoesExist(%Titel%))%HTML:Titel%[VTL] END CONDITION[VTL] CONDITION(DoesExist(%Titel%)=FALSE)%META:TITLE%[VTL] END CONDITION</figcaption></figure>
<!--[VTL] ENDSECTION -->
</div>
<!--[VTL] ENDSECTION -->
</main>
<nav class="seiten" aria-label="Seiten">
[VTL] CONDITION(ISFIRSTPATTERNPAGE=FALSE)<a href="%URL:FIRST_UEBERSICHT%">« Erste</a> <a rel="prev" href="%URL:PREVIOUS_UEBERSICHT%">‹ Vorige</a>[VTL] END CONDITION
<span>Seite %PATTERN_INDEX% von %NUM_PATTERNPAGES%</span>
[VTL] CONDITION(ISLASTPATTERNPAGE=FALSE)<a rel="next" href="%URL:NEXT_UEBERSICHT%">Nächste ›</a> <a href="%URL:LAST_UEBERSICHT%">Letzte »</a>[VTL] END CONDITION
</nav>
<footer class="fuss"><p>Erstellt mit Vistrel</p></footer>
</body>
</html>
